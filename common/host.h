#pragma once

#include <string_view>

namespace vantrel {

// The engine and the drivers talk to the outside world only through this
// interface. The window implements it with widgets, the command line with the
// terminal, the tests with a recorder.
//
// log() and slog() may be called from a worker thread; front ends that own a
// user-interface thread queue them. askYesNo() is only called from the thread
// that owns the user interface (the cancel rule runs there).
class Host {
 public:
  virtual ~Host() = default;

  // Appends one marked-up line ("[b]...[/b]", "[bl]", "[re]", ...) to the log.
  virtual void log(std::string_view line) = 0;
  // Sets status panel 0 (the activity) or 1 (the detail).
  virtual void slog(std::string_view text, int panel) = 0;
  // Removes every line of the log ("Auto clear").
  virtual void clearLog() {}
  // Called once per 4 MiB of input, right after the progress text was set:
  // the place where a front end without threads would serve its events.
  virtual void pump() {}
  // Called once per 64 MiB of input.
  virtual void repaint() {}
  // A Yes/No question; No is the default answer.
  virtual bool askYesNo(std::string_view question) {
    (void)question;
    return false;
  }
  // Brings page `index` of the window to the front (0 = Status).
  virtual void showPage(int index) { (void)index; }
  // The engine enables Cancel while a pass runs and disables it afterwards.
  virtual void setCancelEnabled(bool enabled) { (void)enabled; }
};

}  // namespace vantrel
