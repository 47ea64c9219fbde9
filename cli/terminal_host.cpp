#include "cli/terminal_host.h"

#include <unistd.h>

#include <cstdlib>

#include "common/markup.h"

namespace vantrel::cli {

namespace {
bool isTerminal(std::FILE* f) { return ::isatty(::fileno(f)) == 1; }

bool colourWanted(std::FILE* f) {
  const char* term = std::getenv("TERM");
  return isTerminal(f) && !std::getenv("NO_COLOR") && !(term && std::string(term) == "dumb");
}
}  // namespace

TerminalHost::TerminalHost(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), ansi_(colourWanted(out)), progress_(isTerminal(err)) {}

TerminalHost::~TerminalHost() {
  std::lock_guard lock(mutex_);
  clearProgress();
}

std::string TerminalHost::render(std::string_view line, bool ansi) {
  if (!ansi) return visibleText(line);
  std::string text;
  for (const MarkupRun& run : parseMarkup(line)) {
    std::string codes;
    if (run.style.bold) codes += ";1";
    if (run.style.italic) codes += ";3";
    if (run.style.underline) codes += ";4";
    if (run.style.colour) {
      const Colour& c = *run.style.colour;
      if (c == Colour{0, 0, 255})
        codes += ";34";
      else if (c == Colour{255, 0, 0})
        codes += ";31";
      else
        codes += ";38;2;" + std::to_string(c.red) + ";" + std::to_string(c.green) + ";" +
                 std::to_string(c.blue);
    }
    if (codes.empty()) {
      text += run.text;
    } else {
      text += "\x1b[" + codes.substr(1) + "m" + run.text + "\x1b[0m";
    }
  }
  return text;
}

void TerminalHost::clearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\x1b[K", err_);
  std::fflush(err_);
  progressShown_ = false;
}

void TerminalHost::log(std::string_view line) {
  std::lock_guard lock(mutex_);
  clearProgress();
  std::string text = render(line, ansi_);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

void TerminalHost::slog(std::string_view text, int panel) {
  std::lock_guard lock(mutex_);
  if (panel == 0) {
    activity_ = std::string(text);
    return;
  }
  if (!progress_) return;
  if (text.empty()) {
    clearProgress();
    return;
  }
  std::string line = "\r\x1b[K" + activity_ + " " + std::string(text);
  std::fputs(line.c_str(), err_);
  std::fflush(err_);
  progressShown_ = true;
}

bool TerminalHost::askYesNo(std::string_view) { return true; }

}  // namespace vantrel::cli
