#pragma once

// An HD DVD playlist ("VPLST000.XPL"): media attribute items, then each
// title's clips with their video, audio and subtitle tracks, its chapters
// and its track languages, laid out like the playlists found on discs.

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
  std::string languageExtension = "00";  // the code extension after the language, e.g. "09" forced
  int angle = 0;            // video of an interleaved angle block: its angle number; 0: not written
};

struct PlaylistClip {
  std::string map;  // file name of the clip's time map, e.g. "FEATURE_1.MAP"
  uint64_t begin = 0;  // title time, 90 kHz
  uint64_t end = 0;
  std::vector<PlaylistTrack> tracks;  // the streams of this clip; empty: the title's tracks
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
  std::vector<PlaylistTrack> tracks;  // in every clip that lists none of its own; described in the navigation list
  std::vector<PlaylistChapter> chapters;
};

struct Playlist {
  std::string displayName;
  std::vector<PlaylistAttribute> attributes;
  std::vector<PlaylistTitle> titles;  // numbered from 1 in this order
  bool discClock = false;  // time codes count 1.001/60 s as on discs; otherwise 1/60 s
};

// "hh:mm:ss:ff" in the 60 frames per second time base (counts rounded
// down); on the disc clock one count is 1.001/60 s (1,501.5 ticks).
std::string playlistTime(uint64_t ticks, bool discClock = false);

// The document, UTF-8, tab-indented, CR LF line ends as on discs.
std::string playlistXml(const Playlist& playlist);

}  // namespace vantrel::sample
