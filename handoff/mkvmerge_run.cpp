#include "handoff/mkvmerge_run.h"

#include "handoff/program_runner.h"

namespace vantrel {

namespace {
constexpr std::string_view kGuiPrefix = "#GUI#";

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }
}  // namespace

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

MkvmergeRun runMkvmerge(const std::string& mkvmerge, const std::string& optionsFile, Host& host,
                        const std::function<bool()>& cancelled) {
  MkvmergeRun outcome;
  int shown = -1;
  const ProgramResult run = runProgram(
      mkvmerge, {"@" + optionsFile},
      [&](std::string_view text) {
        const MkvmergeLine line = parseMkvmergeLine(text);
        switch (line.kind) {
          case MkvmergeLine::Kind::Progress:
            if (line.percent != shown) host.slog(std::to_string(line.percent) + "%", 1);
            shown = line.percent;
            break;
          case MkvmergeLine::Kind::Warning:
            outcome.warnings.push_back(line.text);
            host.log("   mkvmerge: Warning: " + line.text);
            break;
          case MkvmergeLine::Kind::Error:
            if (outcome.error.empty()) outcome.error = line.text;
            break;
          case MkvmergeLine::Kind::Other:
            if (!line.text.empty()) host.log("   " + line.text);
            break;
        }
      },
      cancelled);
  host.slog("", 1);
  outcome.cancelled = run.cancelled;
  outcome.written = run.started && !run.cancelled && (run.exitStatus == 0 || run.exitStatus == 1);
  if (outcome.written || run.cancelled) return outcome;
  if (!run.started) outcome.error = "it could not be started: " + run.startError;
  if (outcome.error.empty())
    outcome.error = run.signal ? "it was ended by signal " + std::to_string(run.signal)
                               : "it ended with exit status " + std::to_string(run.exitStatus);
  if (outcome.error.back() != '.') outcome.error += '.';
  return outcome;
}

}  // namespace vantrel
