#include "tools/psmux/spu_encoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace vantrel::psmux {
namespace {

// A subpicture unit decoded the way a player reads it: header, both fields
// of 2-bit run-length lines, and the commands of the display control
// sequences.
struct DecodedUnit {
  std::optional<SubpictureBitmap> bitmap;
  int x1 = -1, y1 = -1, x2 = -1, y2 = -1;
  int startCommand = -1;
  std::array<uint8_t, 4> colors{};
  std::array<uint8_t, 4> contrast{};
  std::vector<uint16_t> delays;  // per sequence
  bool stop = false;
  std::string fault;
};

class NibbleReader {
 public:
  NibbleReader(const Bytes& data, size_t offset, size_t end) : data_(data), at_(offset * 2), end_(end * 2) {}
  int next() {
    if (at_ >= end_) return -1;
    uint8_t byte = data_[at_ / 2];
    int nibble = (at_ % 2 == 0) ? byte >> 4 : byte & 15;
    ++at_;
    return nibble;
  }
  void align() { at_ += at_ % 2; }

 private:
  const Bytes& data_;
  size_t at_;
  size_t end_;
};

bool decodeField(const Bytes& unit, size_t offset, size_t end, SubpictureBitmap& bitmap, int firstLine) {
  NibbleReader reader(unit, offset, end);
  for (int y = firstLine; y < bitmap.height; y += 2) {
    int x = 0;
    while (x < bitmap.width) {
      // Read nibbles until the code is long enough to be a run.
      uint32_t code = 0;
      int nibbles = 0;
      do {
        int n = reader.next();
        if (n < 0) return false;
        code = code << 4 | uint32_t(n);
        ++nibbles;
      } while (nibbles < 4 && code < (1u << (2 * nibbles)));
      int length = int(code >> 2);
      uint8_t color = uint8_t(code & 3);
      if (length == 0) length = bitmap.width - x;  // to the end of the line
      if (x + length > bitmap.width) return false;
      for (int i = 0; i < length; ++i) bitmap.at(x + i, y) = color;
      x += length;
    }
    reader.align();
  }
  return true;
}

DecodedUnit decodeUnit(const Bytes& unit) {
  DecodedUnit out;
  if (unit.size() < 4 || size_t(unit[0] << 8 | unit[1]) != unit.size()) {
    out.fault = "size field";
    return out;
  }
  size_t table = size_t(unit[2] << 8 | unit[3]);
  size_t top = 0, bottom = 0;
  size_t sequence = table;
  for (int guard = 0; guard < 16; ++guard) {
    if (sequence + 4 > unit.size()) {
      out.fault = "sequence outside the unit";
      return out;
    }
    out.delays.push_back(uint16_t(unit[sequence] << 8 | unit[sequence + 1]));
    size_t next = size_t(unit[sequence + 2] << 8 | unit[sequence + 3]);
    size_t at = sequence + 4;
    while (at < unit.size() && unit[at] != 0xFF) {
      uint8_t command = unit[at++];
      auto pair = [&](std::array<uint8_t, 4>& values) {
        values[3] = unit[at] >> 4;
        values[2] = unit[at] & 15;
        values[1] = unit[at + 1] >> 4;
        values[0] = unit[at + 1] & 15;
        at += 2;
      };
      switch (command) {
        case 0x00:
        case 0x01: out.startCommand = command; break;
        case 0x02: out.stop = true; break;
        case 0x03: pair(out.colors); break;
        case 0x04: pair(out.contrast); break;
        case 0x05:
          out.x1 = unit[at] << 4 | unit[at + 1] >> 4;
          out.x2 = (unit[at + 1] & 15) << 8 | unit[at + 2];
          out.y1 = unit[at + 3] << 4 | unit[at + 4] >> 4;
          out.y2 = (unit[at + 4] & 15) << 8 | unit[at + 5];
          at += 6;
          break;
        case 0x06:
          top = size_t(unit[at] << 8 | unit[at + 1]);
          bottom = size_t(unit[at + 2] << 8 | unit[at + 3]);
          at += 4;
          break;
        default: out.fault = "unknown command"; return out;
      }
    }
    if (next == sequence) break;
    sequence = next;
  }
  if (out.x1 < 0 || top == 0) {
    out.fault = "no display area or field offsets";
    return out;
  }
  SubpictureBitmap bitmap(out.x2 - out.x1 + 1, out.y2 - out.y1 + 1);
  if (!decodeField(unit, top, bottom, bitmap, 0) || !decodeField(unit, bottom, table, bitmap, 1)) {
    out.fault = "field data";
    return out;
  }
  out.bitmap = bitmap;
  return out;
}

// Runs of every length class (1-3, 4-15, 16-63, 64-255, longer, and to the
// end of the line), in all four colours, on lines of odd and even number.
SubpictureBitmap testBitmap() {
  SubpictureBitmap bitmap(1000, 9);
  const int runs[] = {1, 2, 3, 4, 15, 16, 63, 64, 255, 256, 21};
  for (int y = 0; y < bitmap.height; ++y) {
    int x = 0;
    int i = y;
    for (int run : runs) {
      for (int k = 0; k < run && x < bitmap.width; ++k) bitmap.at(x++, y) = uint8_t(i % 4);
      ++i;
    }
    // The rest of the line, 300 pixels, in one colour.
    while (x < bitmap.width) bitmap.at(x++, y) = uint8_t(y % 4);
  }
  bitmap.at(999, 8) = 3;  // a long run that stops short of the end
  return bitmap;
}

TEST(SubpictureUnit, RoundTripsThroughAPlayersReading) {
  SubpictureBitmap bitmap = testBitmap();
  SubpictureDisplay display;
  display.x = 10;
  display.y = 300;
  display.duration = 90000;
  display.colors = {0, 15, 1, 7};
  display.contrast = {0, 15, 12, 3};
  Bytes unit = encodeSubpictureUnit(bitmap, display);
  DecodedUnit decoded = decodeUnit(unit);
  ASSERT_EQ(decoded.fault, "");
  ASSERT_TRUE(decoded.bitmap);
  EXPECT_EQ(decoded.bitmap->pixels, bitmap.pixels);
  EXPECT_EQ(decoded.x1, 10);
  EXPECT_EQ(decoded.x2, 1009);
  EXPECT_EQ(decoded.y1, 300);
  EXPECT_EQ(decoded.y2, 308);
  EXPECT_EQ(decoded.startCommand, 0x01);
  EXPECT_EQ(decoded.colors, display.colors);
  EXPECT_EQ(decoded.contrast, display.contrast);
  ASSERT_EQ(decoded.delays.size(), 2u);
  EXPECT_EQ(decoded.delays[0], 0);
  EXPECT_EQ(decoded.delays[1], 88);  // 90000 / 1024, rounded
  EXPECT_TRUE(decoded.stop);
}

TEST(SubpictureUnit, WithoutDurationItHasOneSequenceAndNoStop) {
  SubpictureBitmap bitmap(3, 2);
  bitmap.at(1, 0) = 1;
  SubpictureDisplay display;
  display.forced = true;
  DecodedUnit decoded = decodeUnit(encodeSubpictureUnit(bitmap, display));
  ASSERT_EQ(decoded.fault, "");
  EXPECT_EQ(decoded.delays.size(), 1u);
  EXPECT_FALSE(decoded.stop);
  EXPECT_EQ(decoded.startCommand, 0x00);
  EXPECT_EQ(decoded.bitmap->pixels, bitmap.pixels);
}

TEST(SubpictureUnit, RejectsWhatCannotBeCoded) {
  SubpictureDisplay display;
  EXPECT_THROW(encodeSubpictureUnit(SubpictureBitmap(), display), std::invalid_argument);
  SubpictureBitmap badIndex(2, 2);
  badIndex.at(0, 0) = 4;
  EXPECT_THROW(encodeSubpictureUnit(badIndex, display), std::invalid_argument);
  SubpictureBitmap inconsistent(2, 2);
  inconsistent.pixels.pop_back();
  EXPECT_THROW(encodeSubpictureUnit(inconsistent, display), std::invalid_argument);
  display.x = 4090;
  EXPECT_THROW(encodeSubpictureUnit(SubpictureBitmap(10, 2), display), std::invalid_argument);
  display.x = 0;
  display.duration = 0x10000u * kSubpictureDelayUnit;
  EXPECT_THROW(encodeSubpictureUnit(SubpictureBitmap(10, 2), display), std::invalid_argument);
  // Noise that compresses badly grows past 65,535 bytes.
  SubpictureBitmap noisy(1920, 140);
  for (size_t i = 0; i < noisy.pixels.size(); ++i) noisy.pixels[i] = uint8_t(i * 7 / 3 % 4);
  display.duration = 0;
  EXPECT_THROW(encodeSubpictureUnit(noisy, display), std::invalid_argument);
}

}  // namespace
}  // namespace vantrel::psmux
