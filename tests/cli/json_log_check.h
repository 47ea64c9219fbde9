#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vantrel::testing {

// Checks a `read --json` document field by field against the plain log
// lines that the same run wrote: every file's size and navigation lines,
// the copy-control lines, every stream's "found!" line, first PTS, delay,
// substream id and codec detail lines, and the frame report. Failures are
// reported to the running test.
void expectJsonMatchesLog(const nlohmann::json& doc, const std::vector<std::string>& log);

std::vector<std::string> splitLines(const std::string& text);

}  // namespace vantrel::testing
