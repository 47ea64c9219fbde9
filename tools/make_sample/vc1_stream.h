#pragma once

// A VC-1 advanced-profile elementary stream made by hand (ffmpeg has no VC-1
// encoder): valid sequence headers (1920x1080, 29.97 frames per second),
// entry points and frame start codes with their picture types, filled with
// picture data no decoder can show. Enough for demuxers, stream analyzers
// and picture counters.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/psmux/access_units.h"

namespace vantrel::sample {

inline constexpr uint32_t kVc1FrameTicks = 3003;  // 30000/1001 frames per second
inline constexpr size_t kVc1GroupLength = 15;     // pictures per group, one video object unit of 0.5 s

// `groups` groups of 15 pictures (I B P B P ... in presentation order, sent
// I P B P B ...), each opening with a sequence header and an entry point;
// the first picture shown gets firstPts. `seed` varies the filler.
std::vector<psmux::AccessUnit> vc1Units(size_t groups, uint64_t firstPts, uint32_t seed);

}  // namespace vantrel::sample
