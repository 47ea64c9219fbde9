#pragma once

// DVD subpicture units: a 2-bit run-length coded picture (top field lines,
// then bottom field lines) followed by a display control sequence table
// that shows the picture at its time stamp and, with a duration, hides it
// again.

#include <array>
#include <cstdint>
#include <vector>

#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

// Pixels are colour indices 0-3 (0 background, 1 pattern, 2 and 3 emphasis),
// row by row.
struct SubpictureBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  SubpictureBitmap() = default;
  SubpictureBitmap(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}
  uint8_t& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct SubpictureDisplay {
  int x = 0;  // top-left corner on the screen
  int y = 0;
  uint32_t duration = 0;  // 90 kHz ticks until the stop command; 0: no stop command
  bool forced = false;    // forced start instead of start
  // Palette entry (0-15) and contrast (0-15) of indices 0-3.
  std::array<uint8_t, 4> colors{0, 1, 2, 3};
  std::array<uint8_t, 4> contrast{0, 15, 15, 15};
};

// One unit. Throws std::invalid_argument for an empty or inconsistent
// bitmap, an index above 3, a display area beyond 4,095 or a unit that
// would exceed 65,535 bytes.
Bytes encodeSubpictureUnit(const SubpictureBitmap& bitmap, const SubpictureDisplay& display);

// The stop delay unit of a display control sequence: 1,024 ticks of 90 kHz.
inline constexpr uint32_t kSubpictureDelayUnit = 1024;

}  // namespace vantrel::psmux
