#pragma once

// An HD DVD playlist ("VPLST000.XPL") with one title: media attribute
// items, the title's clips with their video, audio and subtitle tracks, and
// its chapters, laid out like the playlists found on discs.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sample {

struct PlaylistAttribute {
  enum class Kind { Video, Audio, Subpicture } kind = Kind::Video;
  int index = 1;
  std::string codec;
  int channels = 0;  // audio; 0: not written
};

struct PlaylistTrack {
  enum class Kind { Video, Audio, Subtitle } kind = Kind::Video;
  int track = 1;
  int streamNumber = 0;  // audio and subtitles
  int mediaAttr = 1;
  std::string description;  // audio and subtitles; empty: not written
  std::string language;     // for the track navigation list, e.g. "en"
};

struct PlaylistClip {
  std::string map;  // file name of the clip's time map, e.g. "FEATURE_1.MAP"
  uint64_t begin = 0;  // title time, 90 kHz
  uint64_t end = 0;
};

struct PlaylistChapter {
  std::string name;
  uint64_t begin = 0;  // title time, 90 kHz
};

struct PlaylistTitle {
  std::string id;
  std::string displayName;
  uint64_t duration = 0;  // 90 kHz
  std::vector<PlaylistClip> clips;
  std::vector<PlaylistTrack> tracks;  // repeated in every clip
  std::vector<PlaylistChapter> chapters;
};

struct Playlist {
  std::string displayName;
  std::vector<PlaylistAttribute> attributes;
  PlaylistTitle title;
};

// "hh:mm:ss:ff" in the 60 frames per second time base (frames rounded down).
std::string playlistTime(uint64_t ticks);

// The document, UTF-8, tab-indented, CR LF line ends as on discs.
std::string playlistXml(const Playlist& playlist);

}  // namespace vantrel::sample
