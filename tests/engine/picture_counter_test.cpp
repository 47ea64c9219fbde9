#include "engine/picture_counter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace vantrel::testing {
namespace {

// The counting rule written as the byte register it describes: four bytes
// that start with no zeros, a match whenever they read 00 00 01 code.
int countWithRegister(const std::vector<uint8_t>& piece, uint8_t code) {
  uint32_t window = 0xFFFFFFFF;
  int count = 0;
  for (uint8_t byte : piece) {
    window = (window << 8) | byte;
    count += window == (0x00000100u | code);
  }
  return count;
}

// Copies the piece into an allocation of exactly its size, so that a read
// past either end is caught by the address sanitizer.
int countExact(const std::vector<uint8_t>& piece, uint8_t code) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[piece.size()]);
  std::copy(piece.begin(), piece.end(), exact.get());
  uint32_t tail = kNoPictureTail;
  return countPictures(exact.get(), piece.size(), code, tail);
}

TEST(PictureCounting, AgreesWithTheByteRegisterOnDenseStartCodes) {
  std::mt19937 random(20240611);
  for (uint8_t code : {uint8_t(0x00), uint8_t(0x09), uint8_t(0x0D)}) {
    // Mostly zeros, ones and the code, so that start codes and near misses
    // fall on every position of every block, including the piece's ends.
    const uint8_t alphabet[] = {0x00, 0x00, 0x00, 0x01, 0x01, code, 0x09, 0x0D, 0xB3};
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
    for (size_t length = 0; length <= 130; ++length) {
      for (int trial = 0; trial < 40; ++trial) {
        std::vector<uint8_t> piece(length);
        for (uint8_t& byte : piece) byte = alphabet[pick(random)];
        ASSERT_EQ(countExact(piece, code), countWithRegister(piece, code))
            << "code " << int(code) << ", length " << length << ", trial " << trial;
      }
    }
  }
}

TEST(PictureCounting, FindsEveryPlantedStartCodeOfALongPiece) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0x02, 0xFF);  // no accidental start codes
  std::vector<uint8_t> piece(65536);
  for (uint8_t& b : piece) b = uint8_t(byte(random));
  int planted = 0;
  // Every offset within a 16-byte block over the run of the piece.
  for (size_t at = 0; at + 4 <= piece.size(); at += 97, ++planted) {
    piece[at] = piece[at + 1] = 0x00;
    piece[at + 2] = 0x01;
    piece[at + 3] = 0x09;
  }
  EXPECT_EQ(countExact(piece, 0x09), planted);
  EXPECT_EQ(countExact(piece, 0x00), 0);
  // A start code of the other codec is not a picture of this one.
  EXPECT_EQ(countExact(piece, 0x0D), 0);
}

TEST(PictureCounting, StartCodesRunningTogetherEachCount) {
  // MPEG-2 pictures of nothing: 00 00 01 00 00 00 01 00 ... the zero code is
  // also the zero that begins the next start code.
  std::vector<uint8_t> piece;
  for (int i = 0; i < 50; ++i) piece.insert(piece.end(), {0x00, 0x00, 0x01, 0x00});
  EXPECT_EQ(countExact(piece, 0x00), 50);
  // A second 01 00 needs two zeros of its own: one shared zero is not enough.
  const std::vector<uint8_t> shared{0x00, 0x00, 0x01, 0x00, 0x01, 0x00};
  EXPECT_EQ(countExact(shared, 0x00), 1);
  EXPECT_EQ(countWithRegister(shared, 0x00), 1);
}

TEST(PictureCounting, AStartCodeSplitAnywhereBetweenPiecesCountsOnce) {
  const std::vector<uint8_t> bytes{0x47, 0x00, 0x00, 0x01, 0x09, 0x10, 0x00, 0x00, 0x01, 0x09, 0xF0, 0x00};
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    uint32_t tail = kNoPictureTail;
    const int before = countPictures(bytes.data(), cut, 0x09, tail);
    EXPECT_EQ(before + countPictures(bytes.data() + cut, bytes.size() - cut, 0x09, tail), 2) << cut;
  }
  // Nothing before a stream reads as zeros: a stream beginning 01 00 holds no picture.
  EXPECT_EQ(countExact({0x01, 0x00, 0x47}, 0x00), 0);
}

}  // namespace
}  // namespace vantrel::testing
