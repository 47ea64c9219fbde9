#pragma once

#include <optional>
#include <string>
#include <vector>

#include "metadata/title_summary.h"

namespace vantrel {

// The title a Matroska file is made of: its files in playing order and,
// when a playlist describes it, what the playlist says.
struct TitleSource {
  std::vector<std::string> files;
  std::optional<TitleSummary> title;
  std::string playlist;  // the playlist's path; empty without one
  std::string label;     // names the file: the title's name, else the first file's
  std::string error;     // why there is no title to mux; empty when there is
  // Clips after the files that follow each other by name (a warning or a
  // black clip after the feature): not muxed; the title ends where they begin.
  std::vector<std::string> leftOutFiles;
  std::optional<int64_t> endMs;
};

// PATH is a disc folder, its HVDVD_TS folder or a playlist (title `number`,
// by default the longest of the disc), or an .EVO file (its chain; the title
// of the playlist beside it that starts with that file names it). The files
// must exist; those that follow the first by name, as Demux follows a title,
// are muxed, a clip of another file after them is left out.
TitleSource findTitleSource(const std::string& path, std::optional<int> number);

}  // namespace vantrel
