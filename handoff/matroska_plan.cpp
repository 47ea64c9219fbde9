#include "handoff/matroska_plan.h"

#include <nlohmann/json.hpp>

#include "metadata/disc_time.h"

namespace vantrel {

namespace {
constexpr std::string_view kGuiPrefix = "#GUI#";

// Text for XML character data: the markup characters escaped, and control
// characters (which XML 1.0 forbids) turned into blanks.
std::string xmlText(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }
}  // namespace

std::string mkvmergeOptions(const MatroskaPlan& plan, const std::string& chaptersFile) {
  nlohmann::json args = {"--ui-language", "en_US", "--gui-mode", "--flush-on-close",
                         "--output", plan.output, "--title", plan.title};
  if (!chaptersFile.empty()) {
    args.push_back("--chapters");
    args.push_back(chaptersFile);
  }
  // Each stream is a file of its own, its one track numbered 0.
  for (const PlannedTrack& track : plan.tracks) {
    if (!track.language.empty()) {
      args.push_back("--language");
      args.push_back("0:" + track.language);
    }
    if (!track.name.empty()) {
      args.push_back("--track-name");
      args.push_back("0:" + track.name);
    }
    if (track.syncMs != 0) {
      args.push_back("--sync");
      args.push_back("0:" + std::to_string(track.syncMs));
    }
    args.push_back(track.file);
  }
  return args.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string chaptersXml(const std::vector<PlannedChapter>& chapters) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Chapters>\n  <EditionEntry>\n";
  for (const PlannedChapter& chapter : chapters) {
    xml += "    <ChapterAtom>\n      <ChapterTimeStart>" + clockText(chapter.startMs) +
           "</ChapterTimeStart>\n";
    if (!chapter.name.empty()) {
      xml += "      <ChapterDisplay>\n        <ChapterString>" + xmlText(chapter.name) +
             "</ChapterString>\n        <ChapterLanguage>und</ChapterLanguage>\n"
             "      </ChapterDisplay>\n";
    }
    xml += "    </ChapterAtom>\n";
  }
  return xml + "  </EditionEntry>\n</Chapters>\n";
}

MkvmergeLine parseMkvmergeLine(std::string_view line) {
  MkvmergeLine parsed;
  const bool gui = startsWith(line, kGuiPrefix);
  if (gui) line.remove_prefix(kGuiPrefix.size());
  auto message = [&](std::string_view keyword, std::string_view plain, MkvmergeLine::Kind kind) {
    const std::string_view start = gui ? keyword : plain;
    if (!startsWith(line, start)) return false;
    parsed.kind = kind;
    parsed.text = std::string(line.substr(start.size()));
    return true;
  };
  if (gui && startsWith(line, "progress ")) {
    parsed.kind = MkvmergeLine::Kind::Progress;
    for (char c : line.substr(9)) {
      if (c < '0' || c > '9' || parsed.percent > 100) break;
      parsed.percent = parsed.percent * 10 + (c - '0');
    }
    return parsed;
  }
  if (message("warning ", "Warning: ", MkvmergeLine::Kind::Warning)) return parsed;
  if (message("error ", "Error: ", MkvmergeLine::Kind::Error)) return parsed;
  // Other GUI lines mark phases ("#GUI#begin_scanning_playlists"): nothing to show.
  if (!gui) parsed.text = std::string(line);
  return parsed;
}

}  // namespace vantrel
