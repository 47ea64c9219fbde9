#pragma once

#include <array>

#include "engine/stream_ids.h"

namespace vantrel {

// Which streams are ticked, snapshotted by a driver when its run starts.
struct Selection {
  std::array<bool, kVideoSlots> video{};
  std::array<bool, kAudioSlots> audio{};
  std::array<bool, kSubpictureSlots> subpicture{};

  bool any() const {
    for (bool b : video)
      if (b) return true;
    for (bool b : audio)
      if (b) return true;
    for (bool b : subpicture)
      if (b) return true;
    return false;
  }
};

// The options the engine reads, taken from the Options page when a run starts.
struct EngineOptions {
  FileKind fileKind = FileKind::Evo;  // from the extension of the source field
  bool details = true;                // "Detailed info"
  bool countFrames = true;            // "Count frames"
  bool fastCheck = true;              // "Fast EVO checking"
  int fastSizeMB = 300;               // its size in MB
  Selection selection;
};

}  // namespace vantrel
