#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Sample rate by fscod, ATSC A/52 Table 5.6 (code 3 is reserved: 0).
inline constexpr std::array<uint32_t, 4> ac3SampleRates = {48000, 44100, 32000, 0};
// Nominal bit rate by frmsizecod / 2, ATSC A/52 Table 5.18, in bit/s.
inline constexpr std::array<uint32_t, 19> ac3BitRates = {
    32000,  40000,  48000,  56000,  64000,  80000,  96000,  112000, 128000, 160000,
    192000, 224000, 256000, 320000, 384000, 448000, 512000, 576000, 640000};
// Audio blocks per frame by numblkscod, ATSC A/52 Annex E, numblkscod table.
inline constexpr std::array<uint32_t, 4> eac3BlocksPerFrame = {1, 2, 3, 6};
// E-AC-3 sample rate by fscod2, which takes numblkscod's place when fscod is
// 3 (ATSC A/52 Annex E, fscod2 table; code 3 is reserved: 0). Such frames
// always hold six blocks.
inline constexpr std::array<uint32_t, 4> eac3ReducedSampleRates = {24000, 22050, 16000, 0};
inline constexpr uint8_t kEac3ReducedRateFscod = 3;
// Channel arrangement by acmod, ATSC A/52 Table 5.8.
inline constexpr std::array<std::string_view, 8> ac3ChannelModes = {
    "dual mono", "mono",          "L + R",           "L + R + C",
    "L + R + S", "L + R + C + S", "L + R + Ls + Rs", "L + R + C + Ls + Rs"};

// The start of one AC-3 or E-AC-3 sync frame: the five bytes after the sync
// word 0B 77. The two flavours share the analyzer, which tells them apart
// by bsid, and their first bytes are read with one layout:
//   byte 1-2  AC-3: crc1; E-AC-3: strmtyp, substreamid, frmsiz
//   byte 3    AC-3: fscod, frmsizecod; E-AC-3: fscod, numblkscod, acmod, lfeon
//   byte 4    bsid, then AC-3: bsmod; E-AC-3: dialnorm
//   byte 5    AC-3: acmod and the mix levels
struct Ac3FrameHeader {
  uint16_t frmsiz = 0;  // E-AC-3 frmsiz: frame size in 16-bit words, minus 1
  uint8_t fscod = 0;
  uint8_t frmsizecod = 0;   // AC-3 only
  uint8_t numblkscod = 0;   // E-AC-3 only (3 for AC-3 and reduced rates: six blocks)
  uint8_t fscod2 = 0;       // E-AC-3 with fscod 3 only
  uint8_t acmod = 0;        // audio coding mode (channel arrangement)
  uint8_t lfeon = 0;        // LFE channel on
  uint8_t bsid = 0;         // bit stream identification
  uint8_t bsmod = 0;        // AC-3 bit stream mode
  uint32_t sampleRate = 0;  // Hz; 0 for a reserved fscod
  uint32_t bitRate = 0;     // bit/s; 0 for a frmsizecod without a rate
  uint32_t blocks = 0;      // audio blocks per frame

  bool enhanced() const { return bsid >= 11 && bsid <= 16; }
  uint32_t frameBytes() const { return (frmsiz + 1u) * 2u; }
  // Full-band channels of acmod plus the LFE channel.
  int channelCount() const;
};

struct Ac3Analysis {
  // The reported frames: the first complete one, and after a frame without a
  // sampling frequency (or AC-3 bit rate) the next one too.
  std::vector<Ac3FrameHeader> frames;
};

Ac3Analysis parseAc3(const Payload& payload);
void describeAc3(const Ac3Analysis& analysis, int stream, Host& host);

}  // namespace vantrel
