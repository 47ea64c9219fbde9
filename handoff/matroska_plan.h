#pragma once

// What goes into a title's Matroska file and how mkvmerge is told so: the
// tracks with their names, languages and syncs, the chapters, the file's
// title, and the subpicture files that stay beside it.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/stream_report.h"

namespace vantrel {

struct PlannedTrack {
  StreamKind kind = StreamKind::Video;
  int slot = 0;
  StreamCodec codec = StreamCodec::Mpeg2;
  std::string file;      // what mkvmerge reads: the demuxed stream, or its WAVE file
  std::string name;      // the playlist's description; empty: none
  std::string language;  // ISO 639-2; empty: not given
  int64_t syncMs = 0;    // its first time stamp after the title's first video frame
};

struct PlannedChapter {
  int64_t startMs = 0;
  std::string name;
};

// A subpicture stream, which Matroska cannot carry: kept as a .sup file.
struct KeptSubpicture {
  int slot = 0;
  std::string from;  // the demuxed file
  std::string to;    // beside the .mkv, its language in the name
  std::string description;
  std::string language;
};

// A stream that was met but is not in the file, and why.
struct LeftOutStream {
  StreamKind kind = StreamKind::Audio;
  int slot = 0;
  StreamCodec codec = StreamCodec::Ac3;
  std::string reason;
};

struct MatroskaPlan {
  std::string output;  // the .mkv
  std::string title;   // the file's title
  std::vector<PlannedTrack> tracks;  // video first, then audio by slot
  std::vector<PlannedChapter> chapters;
  std::vector<KeptSubpicture> subpictures;
  std::vector<LeftOutStream> leftOut;
};

// The mkvmerge options file (`mkvmerge @FILE`): a JSON array of the
// arguments, UTF-8. Progress lines and English messages (--gui-mode,
// --ui-language en_US), data on disk before mkvmerge reports success
// (--flush-on-close).
std::string mkvmergeOptions(const MatroskaPlan& plan, const std::string& chaptersFile);

// The chapters as a Matroska chapters XML document.
std::string chaptersXml(const std::vector<PlannedChapter>& chapters);

}  // namespace vantrel
