#include "analyzers/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

TEST(BitReader, ByteReadsWalkThroughTheBufferFromTheStartPosition) {
  // 00 | 11 22 33 44 55 | 66: started at 1, five read(8) give 11..55.
  std::vector<uint8_t> bytes = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  BitReader r(bytes);
  r.start(1);
  EXPECT_EQ(r.cursor(), 5u);
  EXPECT_EQ(r.window(), 0x11223344u);
  EXPECT_EQ(r.read(8), 0x11u);
  EXPECT_EQ(r.read(8), 0x22u);
  EXPECT_EQ(r.read(8), 0x33u);
  EXPECT_EQ(r.read(8), 0x44u);
  EXPECT_EQ(r.read(8), 0x55u);
}

TEST(BitReader, ReadsAcrossByteBoundaries) {
  // A5 F0 = 101 | 0 0101 1111 0000: read(3) = 5, read(13) = 0x05F0.
  std::vector<uint8_t> bytes = {0xA5, 0xF0};
  BitReader r(bytes);
  r.start(0);
  EXPECT_EQ(r.read(3), 5u);
  EXPECT_EQ(r.read(13), 0x05F0u);
}

TEST(BitReader, SkipKeepsTheWindowAndCursorInStep) {
  std::vector<uint8_t> bytes = {0xFF, 0x00, 0xAA, 0x55, 0x0F, 0xF0, 0x12, 0x34};
  BitReader r(bytes);
  r.start(0);
  r.skip(0);  // changes nothing
  EXPECT_EQ(r.window(), 0xFF00AA55u);
  EXPECT_EQ(r.vacated(), 0u);
  EXPECT_EQ(r.cursor(), 4u);

  // 3 bits consumed, then 20 more: 23 bits = 2 bytes loaded, 7 bits pending.
  r.skip(3);
  r.skip(20);
  EXPECT_EQ(r.vacated(), 7u);
  EXPECT_EQ(r.cursor(), 6u);
  // Bit 23 onwards: 0 | 0101 0101 | 0000 1111 (AA's last bit, then 55, 0F)
  EXPECT_EQ(r.read(9), 0b0'0101'0101u);
  EXPECT_EQ(r.read(8), 0x0Fu);
}

TEST(BitReader, WideReadsReturnExactlyTheNextBits) {
  // After 7 bits only 25 are left in the window; a 32-bit read still
  // returns the next 32 bits: 1|000 0001 0010 0011 0100 0101 0110 0111 1...
  std::vector<uint8_t> bytes = {0xFE, 0x02, 0x46, 0x8A, 0xCF, 0x80};
  BitReader r(bytes);
  r.start(0);
  EXPECT_EQ(r.read(7), 0x7Fu);
  EXPECT_EQ(r.read(32), 0x01234567u);
  EXPECT_EQ(r.read(1), 1u);
}

TEST(BitReader, UnsignedExpGolombCodes) {
  // 1 | 010 | 011 | 00100 | 0001000 | 0000000 11111111 -> 0, 1, 2, 3, 7, 254
  // as bytes: 1010 0110 | 0100 0001 | 0000 0000 | 0011 1111 | 1100 0000
  std::vector<uint8_t> bytes = {0b1010'0110, 0b0100'0001, 0b0000'0000, 0b0011'1111, 0b1100'0000};
  BitReader r(bytes);
  r.start(0);
  EXPECT_EQ(r.readUe(), 0u);
  EXPECT_EQ(r.readUe(), 1u);
  EXPECT_EQ(r.readUe(), 2u);
  EXPECT_EQ(r.readUe(), 3u);
  EXPECT_EQ(r.readUe(), 7u);
  EXPECT_EQ(r.readUe(), 254u);
}

TEST(BitReader, SignedExpGolombCodes) {
  // codes of 0, 1, 2, 3, 4: 1 | 010 | 011 | 00100 | 00101 -> 0, 1, -1, 2, -2
  std::vector<uint8_t> bytes = {0b1010'0110, 0b0100'0010, 0b1000'0000};
  BitReader r(bytes);
  r.start(0);
  EXPECT_EQ(r.readSe(), 0);
  EXPECT_EQ(r.readSe(), 1);
  EXPECT_EQ(r.readSe(), -1);
  EXPECT_EQ(r.readSe(), 2);
  EXPECT_EQ(r.readSe(), -2);
}

TEST(BitReader, NeverReadsPastTheLoadedBytes) {
  // The buffer is a view into a larger block whose following bytes are
  // all ones: none of them may show up.
  std::vector<uint8_t> block = {0xAB, 0xCD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::span<const uint8_t> loaded(block.data(), 2);
  BitReader r(loaded);
  r.start(0);
  EXPECT_EQ(r.window(), 0xABCD0000u);
  EXPECT_EQ(r.read(8), 0xABu);
  EXPECT_EQ(r.read(8), 0xCDu);
  EXPECT_FALSE(r.ranOut());  // every bit so far was there
  EXPECT_EQ(r.whole(7), 7);
  EXPECT_EQ(r.read(1), 0u);
  EXPECT_TRUE(r.ranOut());
  EXPECT_FALSE(r.whole(7).has_value());
  r.skip(255);
  EXPECT_EQ(r.read(32), 0u);

  // Started beyond the end: everything is zero.
  BitReader late(loaded);
  late.start(100);
  EXPECT_EQ(late.read(8), 0u);
}

TEST(BitReader, ExpGolombCodesThatCannotBeWholeRunOut) {
  // 32 zeros: longer than any code of a 32-bit value, even with the ones
  // that follow. The read stops there and reads as 0.
  std::vector<uint8_t> zeros = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  BitReader r(zeros);
  r.start(0);
  EXPECT_EQ(r.readUe(), 0u);
  EXPECT_TRUE(r.ranOut());
  EXPECT_EQ(r.read(8), 0u);  // and so does everything after it

  // 31 zeros, a one, 31 suffix bits of ones: the largest code there is.
  std::vector<uint8_t> big = {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE};
  BitReader b(big);
  b.start(0);
  EXPECT_EQ(b.readUe(), 0xFFFFFFFEu);
  EXPECT_FALSE(b.ranOut());

  // The same code cut in its suffix.
  std::vector<uint8_t> cut(big.begin(), big.end() - 1);
  BitReader c(cut);
  c.start(0);
  EXPECT_EQ(c.readSe(), 0);
  EXPECT_TRUE(c.ranOut());
}

}  // namespace
}  // namespace vantrel
