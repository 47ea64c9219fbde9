#include "metadata/title_listing.h"

#include <array>

#include "common/text_format.h"
#include "metadata/attribute_table.h"
#include "metadata/chapter_lines.h"
#include "metadata/disc_time.h"
#include "metadata/languages.h"

namespace vantrel {

namespace {
enum TopNode { kInfo, kVideo, kAudio, kSubtitle, kChapter };

int trackLimit(TrackKind kind) {
  switch (kind) {
    case TrackKind::Video:
      return kPlaylistVideoTracks;
    case TrackKind::Audio:
      return kPlaylistAudioStreams;
    case TrackKind::Subtitle:
      break;
  }
  return kPlaylistSubtitleStreams;
}

std::string trackLabel(const PlaylistTrack& track, const std::string& description,
                       const PlaylistView& tables) {
  const int slot = track.stream - 1;
  switch (track.kind) {
    case TrackKind::Video:
      return attributeName(tables.VideoAttributeTable, track.mediaAttr) + ".s" +
             std::to_string(slot);
    case TrackKind::Audio:
      return attributeName(tables.AudioAttributeTable, track.mediaAttr) + ".s" +
             zeroPadded(slot, 2) + "." + description;
    case TrackKind::Subtitle:
      break;
  }
  return attributeName(tables.SubpictureAttributeTable, track.mediaAttr) + ".s" +
         zeroPadded(slot, 2) + "." + description;
}

TopNode nodeOf(TrackKind kind) {
  switch (kind) {
    case TrackKind::Video:
      return kVideo;
    case TrackKind::Audio:
      return kAudio;
    case TrackKind::Subtitle:
      break;
  }
  return kSubtitle;
}

ListedTrack listedTrack(const PlaylistTitle& title, const PlaylistTrack& track,
                        const std::string& description, const PlaylistView& tables) {
  ListedTrack listed{track.kind, track.stream - 1, trackLabel(track, description, tables), {}, {}};
  listed.text = listed.label;
  if (track.kind == TrackKind::Video) return listed;
  if (const TrackLanguage* language = languageOf(title, track.kind, track.track)) {
    listed.langcode = language->langcode;
    const std::string_view code = langcodeLanguage(listed.langcode);
    if (!code.empty() && code != "*") listed.text += " [" + std::string(code) + "]";
  }
  return listed;
}
}  // namespace

TitleListing listTitle(const PlaylistHeader& header, const PlaylistTitle& title,
                       const PlaylistView& tables) {
  TitleListing listing;
  for (const char* name : {"Info", "Video", "Audio", "Subtitle", "Chapter"})
    listing.tree.push_back(TreeNode{name, {}});
  auto add = [&listing](TopNode node, std::string text) {
    listing.tree[node].children.push_back(TreeNode{std::move(text), {}});
  };

  if (!header.title.empty()) add(kInfo, "Title: " + header.title);
  add(kInfo, "Name: " + title.name.value_or(""));
  add(kInfo, "Duration: " + title.duration.value_or(""));

  std::array<bool, kPlaylistVideoTracks> videoListed{};
  std::array<bool, kPlaylistAudioStreams> audioListed{};
  std::array<bool, kPlaylistSubtitleStreams> subtitleListed{};
  auto listedFlag = [&](TrackKind kind, int slot) -> bool& {
    if (kind == TrackKind::Video) return videoListed[size_t(slot)];
    if (kind == TrackKind::Audio) return audioListed[size_t(slot)];
    return subtitleListed[size_t(slot)];
  };
  std::string description;
  for (const PlaylistTrack& track : title.tracks) {
    if (track.kind != TrackKind::Video && track.description) description = *track.description;
    if (track.stream < 1 || track.stream > trackLimit(track.kind)) continue;
    bool& listed = listedFlag(track.kind, track.stream - 1);
    if (listed) continue;
    listed = true;
    ListedTrack item = listedTrack(title, track, description, tables);
    add(nodeOf(track.kind), item.text);
    listing.tracks.push_back(std::move(item));
  }

  const TimeBase base = timeBaseOf(header.timeBase);
  ListedChapter chapter;
  for (const PlaylistChapter& tag : title.chapters) {
    if (tag.name) chapter.name = *tag.name;
    if (tag.time) chapter.timeCode = *tag.time;
    chapter.time = discTimeText(chapter.timeCode, base);
    add(kChapter, chapter.timeCode + ": " + chapter.name);
    appendChapterLines(listing.chapterLines, int(listing.chapters.size()) + 1, chapter.time,
                       chapter.name);
    listing.chapters.push_back(chapter);
  }

  add(kInfo, "TimeBase: " + header.timeBase);
  add(kInfo, "TickBase: " + header.tickBase);
  return listing;
}

}  // namespace vantrel
