#include "metadata/playlist_model.h"

#include <algorithm>
#include <charconv>

#include "common/path_rules.h"

namespace vantrel {

namespace {
std::optional<std::string> text(const XmlElement& element, std::string_view name) {
  const std::string* value = element.attribute(name);
  return value ? std::optional<std::string>(*value) : std::nullopt;
}

// A decimal number ("+3" too); 0 when it is none or does not fit an int.
int number(std::string_view value) {
  if (value.starts_with('+')) {
    value.remove_prefix(1);
    if (value.starts_with('-')) return 0;
  }
  int result = 0;
  const char* last = value.data() + value.size();
  auto [end, error] = std::from_chars(value.data(), last, result);
  return !value.empty() && error == std::errc() && end == last ? result : 0;
}

int number(const XmlElement& element, std::string_view name, int absent) {
  const std::string* value = element.attribute(name);
  return value ? number(*value) : absent;
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

AttributeItem readItem(const XmlElement& element, MediaKind kind) {
  AttributeItem item;
  item.kind = kind;
  item.index = number(element, "index", 0);
  item.codec = text(element, "codec");
  if (kind == MediaKind::Audio) item.channels = text(element, "channels");
  return item;
}

std::optional<TrackKind> trackKind(std::string_view name) {
  if (name == "Video") return TrackKind::Video;
  if (name == "Audio") return TrackKind::Audio;
  if (name == "Subtitle") return TrackKind::Subtitle;
  return std::nullopt;
}

PlaylistTrack readTrack(const XmlElement& element, TrackKind kind) {
  PlaylistTrack track;
  track.kind = kind;
  track.track = number(element, "track", 0);
  // Main video has no stream number: its track is the stream.
  track.stream = kind == TrackKind::Video ? track.track : number(element, "streamNumber", 1);
  track.mediaAttr = number(element, "mediaAttr", 1);
  track.description = text(element, "description");
  return track;
}

// Title `t` and everything inside it.
PlaylistTitle readTitle(const std::vector<XmlElement>& elements, size_t t, int position) {
  const XmlElement& element = elements[t];
  PlaylistTitle title;
  title.number = number(element, "titleNumber", position);
  title.id = text(element, "id");
  title.name = text(element, "displayName");
  title.duration = text(element, "titleDuration");
  title.begin = element.begin;
  title.end = element.end;

  size_t clipEnd = 0;      // elements before this index belong to the last clip
  size_t advancedEnd = 0;  // ... to an advanced subtitle segment: text, not streams
  for (size_t i = t + 1; i < element.subtreeEnd; ++i) {
    const XmlElement& e = elements[i];
    if (e.name == "AdvancedSubtitleSegment") {
      advancedEnd = std::max(advancedEnd, e.subtreeEnd);
    } else if (endsWith(e.name, "Clip") && e.attribute("src")) {
      title.clips.push_back(PlaylistClip{e.name, *e.attribute("src"), text(e, "titleTimeBegin"),
                                         text(e, "titleTimeEnd"), text(e, "clipTimeBegin")});
      clipEnd = e.subtreeEnd;
    } else if (const auto kind = trackKind(e.name); kind && i >= advancedEnd) {
      PlaylistTrack track = readTrack(e, *kind);
      if (i < clipEnd) track.clip = title.clips.size() - 1;
      title.tracks.push_back(std::move(track));
    } else if ((e.name == "AudioTrack" || e.name == "SubtitleTrack") && e.attribute("langcode")) {
      title.languages.push_back(TrackLanguage{
          e.name == "AudioTrack" ? TrackKind::Audio : TrackKind::Subtitle,
          number(e, "track", 0), *e.attribute("langcode"), text(e, "description")});
    } else if (e.name == "Chapter") {
      title.chapters.push_back(PlaylistChapter{text(e, "displayName"), text(e, "titleTimeBegin")});
    }
  }
  return title;
}
}  // namespace

Playlist parsePlaylist(std::string_view bytes) {
  const XmlDocument document = readXml(bytes);
  const std::vector<XmlElement>& elements = document.elements;
  Playlist playlist;
  playlist.problem = document.problem;
  PlaylistHeader& header = playlist.header;
  size_t titleEnd = 0;  // a title inside a title is part of the outer one
  for (size_t i = 0; i < elements.size(); ++i) {
    const XmlElement& e = elements[i];
    auto take = [&e](std::string_view name, std::string& slot) {
      if (const std::string* value = e.attribute(name)) slot = *value;
    };
    if (e.name == "Playlist") {
      take("displayName", header.title);
    } else if (e.name == "TitleSet") {
      take("timeBase", header.timeBase);
      take("tickBase", header.tickBase);
    } else if (e.name == "VideoAttributeItem") {
      playlist.items.push_back(readItem(e, MediaKind::Video));
    } else if (e.name == "AudioAttributeItem") {
      playlist.items.push_back(readItem(e, MediaKind::Audio));
    } else if (e.name == "SubpictureAttributeItem") {
      playlist.items.push_back(readItem(e, MediaKind::Subpicture));
    } else if (e.name == "Title" && i >= titleEnd) {
      playlist.titles.push_back(readTitle(elements, i, int(playlist.titles.size()) + 1));
      titleEnd = e.subtreeEnd;
    }
  }
  return playlist;
}

const PlaylistTitle* titlePlaying(const Playlist& playlist, std::string_view sourceName) {
  for (const PlaylistTitle& title : playlist.titles) {
    for (const PlaylistClip& clip : title.clips) {
      const std::string_view src = clip.src;
      const size_t slash = src.find_last_of("/\\");
      const std::string_view file = slash == std::string_view::npos ? src : src.substr(slash + 1);
      if (CutExt(file) == sourceName) return &title;
    }
  }
  return nullptr;
}

const TrackLanguage* languageOf(const PlaylistTitle& title, TrackKind kind, int track) {
  for (const TrackLanguage& language : title.languages)
    if (language.kind == kind && language.track == track) return &language;
  return nullptr;
}

}  // namespace vantrel
