// WAVE files for the LPCM that mkvmerge takes in: the header of a huge
// stream, and samples taken out of their DVD groups.
#include <gtest/gtest.h>

#include "handoff/dvd_lpcm_wav.h"

namespace vantrel {
namespace {

uint64_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + size_t(i));
  return v;
}

std::string tag(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + long(at), b.begin() + long(at) + 4); }

TEST(DvdLpcmWav, HugeStreamsGetRf64AndSamplesLeaveTheirGroups) {
  const std::vector<uint8_t> plain = wavHeader({2, 16, 48000}, 1000);
  ASSERT_EQ(plain.size(), 44u);
  EXPECT_EQ(tag(plain, 0) + tag(plain, 8) + tag(plain, 12) + tag(plain, 36), "RIFFWAVEfmt data");
  EXPECT_EQ(le(plain, 4, 4), 1036u);
  EXPECT_EQ(le(plain, 20, 2), 1u);  // WAVE_FORMAT_PCM
  EXPECT_EQ(le(plain, 40, 4), 1000u);

  // 6 GiB of 24-bit 5.1: the sizes move to the ds64 chunk.
  const uint64_t data = 6ull << 30;
  const std::vector<uint8_t> big = wavHeader({6, 24, 48000}, data);
  ASSERT_EQ(big.size(), 104u);
  EXPECT_EQ(tag(big, 0) + tag(big, 12) + tag(big, 48) + tag(big, 96), "RF64ds64fmt data");
  EXPECT_EQ(le(big, 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le(big, 20, 8), data + 96);  // RIFF size: everything after its own field
  EXPECT_EQ(le(big, 28, 8), data);
  EXPECT_EQ(le(big, 36, 8), data / 18);  // sample frames of 6 x 3 bytes
  EXPECT_EQ(le(big, 56, 2), 0xFFFEu);    // WAVE_FORMAT_EXTENSIBLE
  EXPECT_EQ(le(big, 70, 2) * 1000 + le(big, 74, 2), 24024u);  // container and valid bits
  EXPECT_EQ(le(big, 76, 4), 0x3Fu);
  EXPECT_EQ(le(big, 100, 4), 0xFFFFFFFFu);

  // 20-bit stereo, one group: the upper 16 bits of four samples, then their
  // low nibbles two to a byte.
  //   12 34 | 56 78 | 9A BC | DE F0 | AB CD -> 1234A 5678B 9ABCC DEF0D
  const uint8_t group[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0xAB, 0xCD};
  uint8_t out[12];
  ASSERT_EQ(unpackDvdLpcm({2, 20, 48000}, group, 1, out), 12u);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 12),
            (std::vector<uint8_t>{0xA0, 0x34, 0x12, 0xB0, 0x78, 0x56, 0xC0, 0xBC, 0x9A, 0xD0, 0xF0, 0xDE}));
  EXPECT_EQ(wavDataBytes({2, 20, 48000}, 25), 24u);  // two and a half groups: four whole frames
}

}  // namespace
}  // namespace vantrel
