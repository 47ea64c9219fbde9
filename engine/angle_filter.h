#pragma once

// Interleaved angle blocks: several angle EVOBs (VOBs on DVD) of one scene
// cut into interleaved units and laid out angle 1's unit, angle 2's, ...,
// then every angle's next one. The DSI of each navigation pack tells which
// EVOB its video object unit belongs to and whether it lies in an
// interleaved unit; the packs up to the next navigation pack belong to the
// same unit. Angles are numbered by the order their EVOBs first appear in
// the block. Demux and Rebuild keep one angle; packs outside blocks are
// always kept.

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/host.h"

namespace vantrel {

namespace dsi {
inline constexpr size_t kCategoryAt = 32;                // VOBU_SML_CAT
inline constexpr uint16_t kInInterleavedUnit = 0x4000;  // the unit lies in an ILVU
inline constexpr size_t kAngleFieldsEnd = kCategoryAt + 2;
}  // namespace dsi

inline constexpr int kMaxAngles = 9;

class AngleFilter {
 public:
  // `angle` counts from 1. The host hears one line per block; a block
  // without that angle also counts in `blocksWithoutAngle`, when given.
  AngleFilter(int angle, Host& host, int* blocksWithoutAngle = nullptr, bool keeping = true);

  // A navigation pack's DSI body (from the byte after its substream id,
  // at least dsi::kAngleFieldsEnd bytes) begins a unit.
  void unitStarts(const uint8_t* dsiBody);
  // Whether the packs of the current unit are kept.
  bool keeps() const { return keeps_; }

  // The rebuild's call for every 2,048-byte pack: a navigation pack begins
  // a unit (and, when kept within a block, its interleaving fields are
  // cleared, as the angle now plays on its own). Returns whether to keep it.
  bool keepPack(uint8_t* pack);

  // The end of a pass: reports a block still open.
  void finish();

 private:
  void report();
  void blockEnds();

  const int wanted_;
  Host& host_;
  int* const blocksWithoutAngle_;
  const bool keeping_;  // false: blocks are only reported
  std::array<uint16_t, kMaxAngles> vobIds_{};  // of the current block, by angle
  int angles_ = 0;          // met so far in the current block; 0: outside any block
  int current_ = 0;         // the angle of the current unit
  bool reported_ = false;   // the current block's line was logged
  bool keeps_ = true;
};

}  // namespace vantrel
