#pragma once

// Captions drawn as subpicture bitmaps with a small built-in 5x7 font:
// pattern pixels (index 1) with an outline (index 2) on a transparent
// background (index 0).

#include <cstdint>
#include <string_view>

#include "tools/psmux/access_units.h"
#include "tools/psmux/spu_encoder.h"

namespace vantrel::sample {

// Upper-case letters, digits, blank, "-" and "."; any other character
// throws std::invalid_argument. `scale` enlarges each font pixel.
psmux::SubpictureBitmap renderCaption(std::string_view text, int scale = 2);

// A subpicture unit that shows the caption, white with a black outline,
// centred near the bottom of a 352-pixel-wide picture from `pts` for
// `duration` ticks.
psmux::AccessUnit captionUnit(std::string_view text, uint64_t pts, uint32_t duration);

}  // namespace vantrel::sample
