#pragma once

// Interleaved angle blocks: several angle EVOBs of one scene in one file,
// cut into interleaved units (ILVUs) of a few video object units each and
// laid out angle 1's unit, angle 2's, ..., then every angle's next one, as
// multi-angle discs store them. Each angle is muxed on its own first (with
// disc navigation packs); the block renumbers its navigation packs and sets
// their seamless playback fields, so a player can follow one angle by
// jumping from interleaved unit to interleaved unit.

#include <cstdint>
#include <vector>

#include "tools/psmux/pack_sink.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

struct AngleEvob {
  const Bytes* packs = nullptr;      // the angle muxed alone
  std::vector<uint64_t> unitStarts;  // pack numbers of its navigation packs (MuxResult::unitStarts)
};

// Writes the block to the sink and returns, per angle, the new number of
// each of its packs. Throws std::invalid_argument when an angle's unit
// starts do not tile its packs from the first, or when unitsPerIlvu is 0.
std::vector<std::vector<uint64_t>> interleaveAngles(const std::vector<AngleEvob>& angles,
                                                    size_t unitsPerIlvu, PackSink& sink);

}  // namespace vantrel::psmux
