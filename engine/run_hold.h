#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantrel {

// Holds a run at its next chunk while the user is asked whether to stop it,
// so that nothing more is read or written until the answer. The side that
// asks calls hold() and release(); the run passes checkpoint() once per
// chunk and waits there while it is held.
class RunHold {
 public:
  void hold() {
    std::lock_guard lock(mutex_);
    ++holds_;
  }
  void release() {
    {
      std::lock_guard lock(mutex_);
      if (holds_ > 0) --holds_;
    }
    changed_.notify_all();
  }
  // True once the run waits at its checkpoint; false after `timeout`.
  bool waitUntilHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return waiting_; });
  }
  void checkpoint() {
    std::unique_lock lock(mutex_);
    if (holds_ == 0) return;
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return holds_ == 0; });
    waiting_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int holds_ = 0;
  bool waiting_ = false;
};

}  // namespace vantrel
