#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a call of `onInterrupt` on a thread
// of its own, so that the operation running on the main thread stops at its
// next chunk and closes its files. A second signal ends the program at once
// (status 130). Create it before any other thread.
class InterruptWatcher {
 public:
  explicit InterruptWatcher(std::function<void()> onInterrupt);
  ~InterruptWatcher();
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  bool interrupted() const { return interrupted_; }

 private:
  std::function<void()> onInterrupt_;
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> stopping_{false};
  std::thread watcher_;
};

}  // namespace vantrel::cli
