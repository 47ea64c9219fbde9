#pragma once

// The pack-level copy behind Rebuild: one source file, pack by pack, into the
// rebuilt title, keeping the packs of the chosen streams under new numbers
// and adjusting the navigation packs to match.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "engine/selection.h"
#include "engine/stream_meeting.h"
#include "rebuild/unit_addresses.h"
#include "workspace/workspace.h"

namespace vantrel {

// What a run keeps, taken once when the run starts: the catalogue of the
// last Read EVO, the ticked boxes whose slot holds a stream, the option and
// the title's presentation times.
struct RebuildPlan {
  PerKind<int32_t> ids;
  Selection keep;
  bool keepAdvanced = false;  // "Rebuild ADV_PCKs"
  int angle = 1;              // the one kept of interleaved angle blocks
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;

  int kept(StreamKind kind) const;
  int keptTotal() const;
};

RebuildPlan planFromWorkspace(const Workspace& ws);

// New identifiers, shared by all files of a run so that a stream has the
// same number in every file. Identifiers of different spaces (a PES stream
// id, a VC-1 extension, a substream id) are numbered apart.
struct Renumbering {
  static constexpr uint8_t kNone = 0xFF;
  std::array<std::array<uint8_t, 256>, kIdSpaces> map;
  std::array<int, kStreamKinds.size()> counters{};  // streams numbered so far, per kind

  Renumbering() { reset(); }
  void reset();
  // The new identifier; an identifier without one keeps its value.
  uint8_t apply(IdSpace space, uint8_t id) const {
    const uint8_t fresh = map[size_t(space)][id];
    return fresh == kNone ? id : fresh;
  }
};

// Gives every kept stream of the plan that has no new identifier yet the
// next number of its kind, in box order. A number that does not fit the
// identifier's codec range leaves the identifier as it is, with a warning.
void assignNumbers(const RebuildPlan& plan, Renumbering& numbers, Host& host);

// What one rebuild run carries from file to file: the new numbers, the
// unit being copied (a chain is one title: its last unit in one file ends
// at the first navigation pack of the next), where the output stands, and
// what was found.
struct RebuildRun {
  Renumbering numbers;
  UnitAddresses unit;
  int64_t outputBytes = 0;
  int64_t hdDvdPacks = 0;  // packs with the HD DVD pack header
  int64_t streamPacks = 0;  // packs of ticked streams written
  // Streams dropped as no box stands for their slot, where each was first met.
  std::vector<MetStream> notWritten;
  std::string lastFile;  // of the chain: the file Read EVO lists
  std::array<std::bitset<256>, kIdSpaces> metWithoutBox;

  // Notes the first pack of such a stream; the others cost one bit test.
  void meetWithoutBox(const StreamRange& range, uint8_t id, const std::string& file, int64_t position);
};

// Copies `in` from its position to its end (or until the user cancels,
// after the current pack) into `out`. File errors are raised as FileError.
void Rebuild(Workspace& ws, InputFile& in, const RebuildPlan& plan, RebuildRun& run,
             OutputFile& out);

// Completes the last unit of the run in `out`.
void finishRebuild(RebuildRun& run, OutputFile& out);

}  // namespace vantrel
