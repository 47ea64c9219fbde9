#include "metadata/title_listing.h"

#include <array>

#include "common/text_format.h"
#include "metadata/attribute_lookup.h"
#include "metadata/chapter_lines.h"

namespace vantrel {

namespace {
enum TopNode { kInfo, kVideo, kAudio, kSubtitle, kChapter };

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

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

std::string trackLabel(const TrackTag& track, const PlaylistView& tables) {
  const int slot = track.number - 1;
  switch (track.kind) {
    case TrackKind::Video:
      return attributeName(tables.VideoAttributeTable, track.mediaAttr) + ".s" +
             std::to_string(slot);
    case TrackKind::Audio:
      return attributeName(tables.AudioAttributeTable, track.mediaAttr) + ".s" +
             zeroPadded(slot, 2) + "." + track.description;
    case TrackKind::Subtitle:
      break;
  }
  return attributeName(tables.SubpictureAttributeTable, track.mediaAttr) + ".s" +
         zeroPadded(slot, 2) + "." + track.description;
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
}  // namespace

std::optional<TitleRange> findTitle(const std::vector<std::string>& lines,
                                    std::string_view sourceName) {
  size_t t = 0;
  while (t < lines.size() && !contains(lines[t], sourceName)) ++t;
  if (t == lines.size() || t == 0) return std::nullopt;

  std::optional<size_t> first;
  for (size_t i = t; i-- > 0;) {
    if (contains(upperCased(lines[i]), "<TITLE ")) {
      first = i;
      break;
    }
  }
  if (!first) return std::nullopt;

  TitleRange range{*first, lines.size() - 1};
  for (size_t i = *first; i < lines.size(); ++i) {
    if (contains(upperCased(lines[i]), "</TITLE")) {
      range.last = i;
      break;
    }
  }
  return range;
}

std::vector<TitleEntry> parseTitle(const std::vector<std::string>& lines) {
  std::vector<TitleEntry> entries;
  TitleTag title;
  ChapterTag chapter;
  std::string description;
  auto readTrack = [&](const std::string& line, TrackKind kind, const char* numberName) {
    TrackTag track;
    track.kind = kind;
    track.number = GetAttrInt(line, numberName);
    track.mediaAttr = GetAttrInt(line, "mediaAttr");
    if (kind != TrackKind::Video) {
      GetAttr(line, "description", description);
      track.description = description;
    }
    entries.emplace_back(std::move(track));
  };

  for (const std::string& line : lines) {
    const std::string upper = upperCased(line);
    if (contains(upper, "<TITLE ")) {
      GetAttr(line, "displayName", title.name);
      GetAttr(line, "titleDuration", title.duration);
      entries.emplace_back(title);
    }
    if (contains(upper, "<VIDEO ")) readTrack(line, TrackKind::Video, "track");
    if (contains(upper, "<AUDIO ")) readTrack(line, TrackKind::Audio, "streamNumber");
    if (contains(upper, "<SUBTITLE ")) readTrack(line, TrackKind::Subtitle, "streamNumber");
    if (contains(upper, "<CHAPTER ")) {
      GetAttr(line, "displayName", chapter.name);
      GetAttr(line, "titleTimeBegin", chapter.time);
      entries.emplace_back(chapter);
    }
  }
  return entries;
}

TitleListing listTitle(const PlaylistHeader& header, const std::vector<TitleEntry>& entries,
                       const PlaylistView& tables) {
  TitleListing listing;
  for (const char* name : {"Info", "Video", "Audio", "Subtitle", "Chapter"})
    listing.tree.push_back(TreeNode{name, {}});
  auto add = [&listing](TopNode node, std::string text) {
    listing.tree[node].children.push_back(TreeNode{std::move(text), {}});
  };

  if (!header.title.empty()) add(kInfo, "Title: " + header.title);

  std::array<bool, kPlaylistVideoTracks> videoListed{};
  std::array<bool, kPlaylistAudioStreams> audioListed{};
  std::array<bool, kPlaylistSubtitleStreams> subtitleListed{};
  auto listedFlag = [&](TrackKind kind, int slot) -> bool& {
    if (kind == TrackKind::Video) return videoListed[size_t(slot)];
    if (kind == TrackKind::Audio) return audioListed[size_t(slot)];
    return subtitleListed[size_t(slot)];
  };

  int chapterNumber = 1;
  for (const TitleEntry& entry : entries) {
    if (const auto* title = std::get_if<TitleTag>(&entry)) {
      add(kInfo, "Name: " + title->name);
      add(kInfo, "Duration: " + title->duration);
    } else if (const auto* track = std::get_if<TrackTag>(&entry)) {
      if (track->number < 1 || track->number > trackLimit(track->kind)) continue;
      const int slot = track->number - 1;
      bool& listed = listedFlag(track->kind, slot);
      if (listed) continue;
      listed = true;
      ListedTrack item{track->kind, slot, trackLabel(*track, tables)};
      add(nodeOf(track->kind), item.label);
      listing.tracks.push_back(std::move(item));
    } else if (const auto* chapter = std::get_if<ChapterTag>(&entry)) {
      add(kChapter, chapter->time + ": " + chapter->name);
      appendChapterLines(listing.chapterLines, chapterNumber++, chapterTime(chapter->time),
                         chapter->name);
    }
  }

  add(kInfo, "TimeBase: " + header.timeBase);
  add(kInfo, "TickBase: " + header.tickBase);
  return listing;
}

}  // namespace vantrel
