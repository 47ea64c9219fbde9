#include "tools/psmux/spu_encoder.h"

#include <stdexcept>

namespace vantrel::psmux {

namespace {

constexpr uint8_t kForcedStart = 0x00;
constexpr uint8_t kStart = 0x01;
constexpr uint8_t kStop = 0x02;
constexpr uint8_t kSetColor = 0x03;
constexpr uint8_t kSetContrast = 0x04;
constexpr uint8_t kSetArea = 0x05;
constexpr uint8_t kSetFieldOffsets = 0x06;
constexpr uint8_t kEnd = 0xFF;
constexpr int kMaxCoordinate = 4095;

class NibbleWriter {
 public:
  explicit NibbleWriter(Bytes& out) : out_(out) {}
  void put(uint32_t value, int nibbles) {
    for (int i = nibbles - 1; i >= 0; --i) putNibble(uint8_t((value >> (4 * i)) & 15));
  }
  void align() {
    if (half_) putNibble(0);
  }

 private:
  void putNibble(uint8_t nibble) {
    if (half_) {
      out_.back() |= nibble;
    } else {
      out_.push_back(uint8_t(nibble << 4));
    }
    half_ = !half_;
  }
  Bytes& out_;
  bool half_ = false;
};

// One run: the code is the length shifted over the two colour bits, in the
// shortest of the 4-, 8-, 12- and 16-bit forms; length 0 means "to the end
// of the line".
void putRun(NibbleWriter& writer, int length, uint8_t color) {
  uint32_t code = (uint32_t(length) << 2) | color;
  if (length >= 1 && length <= 3) {
    writer.put(code, 1);
  } else if (length >= 4 && length <= 15) {
    writer.put(code, 2);
  } else if (length >= 16 && length <= 63) {
    writer.put(code, 3);
  } else {
    writer.put(code, 4);
  }
}

void encodeLine(NibbleWriter& writer, const SubpictureBitmap& bitmap, int y) {
  int x = 0;
  while (x < bitmap.width) {
    uint8_t color = bitmap.at(x, y);
    int run = 1;
    while (x + run < bitmap.width && bitmap.at(x + run, y) == color) ++run;
    if (x + run == bitmap.width && run > 255) {
      putRun(writer, 0, color);
    } else {
      int left = run;
      while (left > 0) {
        int piece = left > 255 ? 255 : left;
        putRun(writer, piece, color);
        left -= piece;
      }
    }
    x += run;
  }
  writer.align();
}

void putPair(Bytes& out, const std::array<uint8_t, 4>& values) {
  // Order on the disc: emphasis 2, emphasis 1, pattern, background.
  out.push_back(uint8_t((values[3] & 15) << 4 | (values[2] & 15)));
  out.push_back(uint8_t((values[1] & 15) << 4 | (values[0] & 15)));
}

}  // namespace

Bytes encodeSubpictureUnit(const SubpictureBitmap& bitmap, const SubpictureDisplay& display) {
  if (bitmap.width <= 0 || bitmap.height <= 0 ||
      bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height)) {
    throw std::invalid_argument("subpicture bitmap is empty or inconsistent");
  }
  for (uint8_t pixel : bitmap.pixels) {
    if (pixel > 3) throw std::invalid_argument("subpicture pixel index above 3");
  }
  const int x2 = display.x + bitmap.width - 1;
  const int y2 = display.y + bitmap.height - 1;
  if (display.x < 0 || display.y < 0 || x2 > kMaxCoordinate || y2 > kMaxCoordinate) {
    throw std::invalid_argument("subpicture display area outside 0-4095");
  }

  Bytes unit(4, 0);  // size and table offset, set below
  NibbleWriter writer(unit);
  const size_t topField = unit.size();
  for (int y = 0; y < bitmap.height; y += 2) encodeLine(writer, bitmap, y);
  const size_t bottomField = unit.size();
  for (int y = 1; y < bitmap.height; y += 2) encodeLine(writer, bitmap, y);

  const size_t table = unit.size();
  const bool stops = display.duration > 0;
  const size_t firstSize = 4 + 1 + 3 + 3 + 7 + 5 + 1;
  const size_t second = table + firstSize;
  // First sequence: show at once.
  put16(unit, 0);
  put16(unit, uint32_t(stops ? second : table));
  unit.push_back(display.forced ? kForcedStart : kStart);
  unit.push_back(kSetColor);
  putPair(unit, display.colors);
  unit.push_back(kSetContrast);
  putPair(unit, display.contrast);
  unit.push_back(kSetArea);
  const uint32_t x1 = uint32_t(display.x), y1 = uint32_t(display.y);
  unit.push_back(uint8_t(x1 >> 4));
  unit.push_back(uint8_t((x1 & 15) << 4 | uint32_t(x2) >> 8));
  unit.push_back(uint8_t(x2));
  unit.push_back(uint8_t(y1 >> 4));
  unit.push_back(uint8_t((y1 & 15) << 4 | uint32_t(y2) >> 8));
  unit.push_back(uint8_t(y2));
  unit.push_back(kSetFieldOffsets);
  put16(unit, uint32_t(topField));
  put16(unit, uint32_t(bottomField));
  unit.push_back(kEnd);
  if (stops) {
    // Second sequence: hide after the duration; it points at itself as the last one.
    uint32_t delay = (display.duration + kSubpictureDelayUnit / 2) / kSubpictureDelayUnit;
    if (delay == 0) delay = 1;
    if (delay > 0xFFFF) throw std::invalid_argument("subpicture duration too long");
    put16(unit, delay);
    put16(unit, uint32_t(second));
    unit.push_back(kStop);
    unit.push_back(kEnd);
  }
  if (unit.size() > 0xFFFF || table > 0xFFFF) throw std::invalid_argument("subpicture unit too large");
  set16(unit, 0, uint32_t(unit.size()));
  set16(unit, 2, uint32_t(table));
  return unit;
}

}  // namespace vantrel::psmux
