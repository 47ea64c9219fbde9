#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// A stream chosen on the command line: "v0", "a2", "s13".
struct StreamChoice {
  char kind = 'v';  // 'v' video, 'a' audio, 's' subpicture
  int slot = 0;
};

struct CliOptions {
  std::string command;
  std::vector<std::string> files;

  std::string outputFolder;  // -o
  std::optional<std::string> videoExt, audioExt, subExt;
  bool continueChain = true;
  bool fullScan = false;  // --full: no fast check
  int fastSizeMB = 300;
  bool countFrames = true;
  bool details = true;
  std::optional<std::vector<StreamChoice>> streams;  // none: every stream found
  bool advancedPacks = false;  // rebuild --adv
  int angle = 1;               // --angle: the one kept of interleaved angle blocks
  std::string source;          // xpl --source
  bool chapters = false;       // xpl --chapters
  std::optional<int> title;    // mkv --title
  bool keepStreams = false;    // mkv --keep-streams
  bool json = false;
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name. On bad usage returns the
// message to show (and the program exits with status 2).
std::optional<std::string> parseArguments(const std::vector<std::string>& args, CliOptions& options);

// Parses "v0,a2,s1"; nullopt when a choice is malformed or out of range.
std::optional<std::vector<StreamChoice>> parseStreamList(const std::string& text);

std::string usageText();

}  // namespace vantrel::cli
