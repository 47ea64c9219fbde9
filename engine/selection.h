#pragma once

#include <algorithm>

#include "engine/stream_table.h"

namespace vantrel {

// Which streams are ticked, snapshotted by a driver when its run starts.
struct Selection : PerKind<bool> {
  bool any() const {
    return std::ranges::any_of(kStreamKinds, [this](StreamKind kind) {
      return std::ranges::any_of((*this)[kind], [](bool ticked) { return ticked; });
    });
  }
};

// The options the engine reads, taken from the Options page when a run starts.
struct EngineOptions {
  FileKind fileKind = FileKind::Evo;  // from the extension of the source field
  bool details = true;                // "Detailed info"
  bool countFrames = true;            // "Count frames"
  bool fastCheck = true;              // "Fast EVO checking"
  int fastSizeMB = 300;               // its size in MB
  int angle = 1;                      // "Angle": the one kept of interleaved angle blocks
  Selection selection;
};

}  // namespace vantrel
