#include "handoff/matroska_plan.h"

#include <nlohmann/json.hpp>

#include "metadata/disc_time.h"

namespace vantrel {

namespace {
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

}  // namespace vantrel
