#pragma once

// The pack-level copy behind Rebuild: one source file, pack by pack, into the
// rebuilt title, keeping the packs of the chosen streams under new numbers
// and adjusting the navigation packs to match.

#include <array>
#include <cstdint>

#include "common/file_io.h"
#include "drivers/workspace.h"
#include "engine/selection.h"

namespace vantrel {

// What a run keeps, taken once when the run starts: the catalogue of the
// last Read EVO, the ticked boxes whose slot holds a stream, the option and
// the title's presentation times.
struct RebuildPlan {
  std::array<int32_t, kVideoSlots> video{};
  std::array<int32_t, kAudioSlots> audio{};
  std::array<int32_t, kSubpictureSlots> subpicture{};
  Selection keep;
  bool keepAdvanced = false;  // "Rebuild ADV_PCKs"
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;

  int keptVideo() const;
  int keptAudio() const;
  int keptSubpictures() const;
};

RebuildPlan planFromWorkspace(const Workspace& ws);

// New identifiers, shared by all files of a run so that a stream has the
// same number in every file.
struct Renumbering {
  static constexpr uint8_t kNone = 0xFF;
  std::array<uint8_t, 256> map;
  int videoCount = 0;
  int audioCount = 0;
  int subpictureCount = 0;

  Renumbering() { reset(); }
  void reset();
  // The new identifier; an identifier without one keeps its value.
  uint8_t apply(uint8_t id) const { return map[id] == kNone ? id : map[id]; }
};

// Gives every kept stream of the plan that has no new identifier yet the
// next number of its kind, in box order. A number that does not fit the
// identifier's codec range leaves the identifier as it is, with a warning.
void assignNumbers(const RebuildPlan& plan, Renumbering& numbers, Host& host);

// Copies ws.session.state.InputStream from its position to its end (or
// until the user cancels, after the current pack) into `out`. File errors
// are raised as FileError.
void Rebuild(Workspace& ws, const RebuildPlan& plan, Renumbering& numbers, OutputFile& out);

}  // namespace vantrel
