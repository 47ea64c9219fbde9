#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "workspace/workspace.h"

namespace vantrel::cli {

// Reports to a terminal: log lines on standard output (markup as bold, blue
// and red ANSI styles on a terminal, plain text when piped), progress on
// standard error on a terminal only. Safe to call from several threads.
class TerminalHost : public DriverHost {
 public:
  TerminalHost(std::FILE* out, std::FILE* err);
  ~TerminalHost() override;

  void log(std::string_view line) override;
  void slog(std::string_view text, int panel) override;
  // Ctrl-C is the user's own request to stop: the question is answered Yes.
  bool askYesNo(std::string_view question) override;

  // Renders one marked-up line for a terminal or for plain output.
  static std::string render(std::string_view line, bool ansi);

 private:
  void clearProgress();
  std::mutex mutex_;
  std::FILE* out_;
  std::FILE* err_;
  bool ansi_;
  bool progress_;
  bool progressShown_ = false;
  std::string activity_;
};

}  // namespace vantrel::cli
