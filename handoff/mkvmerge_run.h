#pragma once

// mkvmerge as a child process: its progress on the status bar, its
// warnings and errors.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"

namespace vantrel {

// One line of mkvmerge's --gui-mode output.
struct MkvmergeLine {
  enum class Kind { Progress, Warning, Error, Other } kind = Kind::Other;
  int percent = 0;   // Progress
  std::string text;  // Warning, Error, Other: the message
};
MkvmergeLine parseMkvmergeLine(std::string_view line);

struct MkvmergeRun {
  bool written = false;    // exit status 0, or 1 (written with warnings)
  bool cancelled = false;  // stopped because `cancelled` said so
  std::string error;       // why it failed: its first error, or how it ended
  std::vector<std::string> warnings;
};

// Runs `mkvmerge @optionsFile`: the percentage on status panel 1, warnings
// and its other messages as log lines (indented), errors kept for the caller.
MkvmergeRun runMkvmerge(const std::string& mkvmerge, const std::string& optionsFile, Host& host,
                        const std::function<bool()>& cancelled);

}  // namespace vantrel
