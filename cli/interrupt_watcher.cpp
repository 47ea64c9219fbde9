#include "cli/interrupt_watcher.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace vantrel::cli {

namespace {
sigset_t watchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);  // wakes the watcher when it is no longer needed
  return set;
}
}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
  sigset_t set = watchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread([this, set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      if (stopping_) return;
      if (signal == SIGINT || signal == SIGTERM) {
        // A second request ends the program at once: the first one may not
        // be heard by an operation stuck in a system call.
        if (interrupted_.exchange(true)) std::_Exit(130);
        onInterrupt_();
      }
    }
  });
}

InterruptWatcher::~InterruptWatcher() {
  stopping_ = true;
  // Every thread blocks these signals, so the process-directed signal can
  // only be taken by the watcher's sigwait.
  ::kill(::getpid(), SIGUSR1);
  watcher_.join();
}

}  // namespace vantrel::cli
