#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/xml_document.h"

namespace vantrel {

// A playlist (VPLST000.XPL) as parsed: plain values as the disc writes them,
// absent attributes absent, schema defaults applied to track numbers. How the
// window shows them (labels, repeated names, converted times) is a later step.

// Values of the root "Playlist" and of "TitleSet".
struct PlaylistHeader {
  std::string title;     // Playlist displayName
  std::string timeBase;  // TitleSet timeBase, "60fps" on every disc
  std::string tickBase;  // TitleSet tickBase
  bool operator==(const PlaylistHeader&) const = default;
};

enum class MediaKind { Video, Audio, Subpicture };

// One VideoAttributeItem, AudioAttributeItem or SubpictureAttributeItem.
struct AttributeItem {
  MediaKind kind = MediaKind::Video;
  int index = 0;  // 0 when missing or not a number
  std::optional<std::string> codec;
  std::optional<std::string> channels;  // audio only
  bool operator==(const AttributeItem&) const = default;
};

enum class TrackKind { Video, Audio, Subtitle };

// A clip of a title: PrimaryAudioVideoClip and its kin, in document order.
struct PlaylistClip {
  std::string element;  // "PrimaryAudioVideoClip", ...
  std::string src;      // the clip's time map, "file:///dvddisc/HVDVD_TS/FEATURE_1.MAP"
  std::optional<std::string> titleTimeBegin;
  std::optional<std::string> titleTimeEnd;
  std::optional<std::string> clipTimeBegin;
  bool operator==(const PlaylistClip&) const = default;
};

// A Video, Audio or Subtitle element of a clip: which stream becomes which
// track. Numbers are 0 when written but not a decimal number.
struct PlaylistTrack {
  TrackKind kind = TrackKind::Video;
  int track = 0;      // "track"; 0 when missing
  int stream = 0;     // video: "track"; audio, subtitle: "streamNumber", 1 when missing
  int mediaAttr = 1;  // 1 when missing
  std::optional<std::string> description;
  std::optional<size_t> clip;  // index in PlaylistTitle::clips; none outside every clip
  bool operator==(const PlaylistTrack&) const = default;
};

// An AudioTrack or SubtitleTrack of TrackNavigationList: the language of a
// track number.
struct TrackLanguage {
  TrackKind kind = TrackKind::Audio;
  int track = 0;
  std::string langcode;  // as written: "fr:01", "*:00"
  std::optional<std::string> description;
  bool operator==(const TrackLanguage&) const = default;
};

struct PlaylistChapter {
  std::optional<std::string> name;  // displayName
  std::optional<std::string> time;  // titleTimeBegin, a time code as written
  bool operator==(const PlaylistChapter&) const = default;
};

struct PlaylistTitle {
  int number = 0;  // titleNumber; its place among the titles when missing
  std::optional<std::string> id;
  std::optional<std::string> name;      // displayName
  std::optional<std::string> duration;  // titleDuration, a time code
  std::vector<PlaylistClip> clips;
  std::vector<PlaylistTrack> tracks;  // advanced subtitle segments' tracks are not streams
  std::vector<TrackLanguage> languages;
  std::vector<PlaylistChapter> chapters;
  size_t begin = 0;  // byte offsets of the element in the file
  size_t end = 0;
};

struct Playlist {
  PlaylistHeader header;
  std::vector<AttributeItem> items;
  std::vector<PlaylistTitle> titles;  // "Title" elements, not FirstPlayTitle
  std::optional<XmlProblem> problem;  // where the file stops being well-formed
};

// Reads a playlist file's bytes. Elements match by whole name, comments are
// not content, a damaged file is read as far as it goes (see readXml).
Playlist parsePlaylist(std::string_view bytes);

// The first title with a clip whose time map carries the source's name:
// "…/FEATURE_1.MAP" for "FEATURE_1" (the source file's name without its
// extension). Null when no title plays it.
const PlaylistTitle* titlePlaying(const Playlist& playlist, std::string_view sourceName);

// The language of a title's track, or null when its list names none.
const TrackLanguage* languageOf(const PlaylistTitle& title, TrackKind kind, int track);

}  // namespace vantrel
