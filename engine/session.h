#pragma once

#include "common/host.h"
#include "engine/processing_state.h"
#include "engine/selection.h"

namespace vantrel {

class RunObserver;

// What one user's work with the program shares: the processing state, the
// engine's options and the host that reports to the user.
struct Session {
  explicit Session(Host& h) : host(h) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Host& host;
  ProcessingState state;
  EngineOptions options;
  // Hears the facts of each run as data; none by default.
  RunObserver* observer = nullptr;
};

}  // namespace vantrel
