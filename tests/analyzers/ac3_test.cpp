#include "analyzers/ac3.h"

#include <gtest/gtest.h>

#include "analyzer_test_support.h"
#include "analyzers/analyzers.h"
#include "bit_writer.h"
#include "tests/support/recording_host.h"

namespace vantrel {
namespace {

using testing::BitWriter;
using testing::concat;
using testing::payloadOver;

// syncinfo and the start of bsi of an AC-3 frame (ATSC A/52 5.3), with
// the 3/2 mix levels and lfeon, padded with audio-ish bytes.
std::vector<uint8_t> ac3Frame(unsigned fscod, unsigned frmsizecod, unsigned bsid, unsigned bsmod,
                              unsigned acmod, bool lfeon = false) {
  BitWriter w;
  w.put(16, 0x0B77).put(16, 0x1234);           // syncword, crc1
  w.put(2, fscod).put(6, frmsizecod);          // fscod, frmsizecod
  w.put(5, bsid).put(3, bsmod).put(3, acmod);  // bsid, bsmod, acmod
  if ((acmod & 1) && acmod != 1) w.put(2, 1);  // cmixlev
  if (acmod & 4) w.put(2, 1);                  // surmixlev
  if (acmod == 2) w.put(2, 0);                 // dsurmod
  w.flag(lfeon).align();
  return concat({w.data(), std::vector<uint8_t>(24, 0x5A)});
}

// syncinfo-less E-AC-3 header (ATSC A/52 Annex E 2.3.1).
std::vector<uint8_t> eac3Frame(unsigned frmsiz, unsigned fscod, unsigned numblkscod, unsigned acmod,
                               bool lfeon, unsigned bsid = 16) {
  BitWriter w;
  w.put(16, 0x0B77).put(2, 0).put(3, 0).put(11, frmsiz);  // strmtyp, substreamid, frmsiz
  w.put(2, fscod).put(2, numblkscod).put(3, acmod).flag(lfeon);
  w.put(5, bsid).put(5, 27).flag(false).put(5, 0);  // bsid, dialnorm, compre, ...
  return concat({w.data(), std::vector<uint8_t>(24, 0x5A)});
}

std::vector<std::string> linesFor(const std::vector<uint8_t>& bytes, int stream = 0) {
  RecordingHost host;
  analyzeAc3(payloadOver(bytes), stream, host);
  return host.lines;
}

TEST(Ac3, FiveChannelsAt448) {
  EXPECT_EQ(linesFor(ac3Frame(0, 30, 8, 0, 7), 2),
            (std::vector<std::string>{
                "   Stream 2 is [b]Dolby Digital[/b]",
                "   Sampling frequency = [bl]48[/bl] kHz",
                "   Transmission bitrate = [bl]448[/bl] kbit/s",
                "   Channel arrangement = [bl]L + R + C + Ls + Rs[/bl], bsid = 8, bsmod =0",
            }));
}

TEST(Ac3, OnlyTheFirstGoodFrameIsReported) {
  auto bytes = concat({ac3Frame(1, 8, 6, 2, 2), ac3Frame(0, 30, 8, 0, 7)});
  auto lines = linesFor(bytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "   Sampling frequency = [bl]44.1[/bl] kHz");
  EXPECT_EQ(lines[2], "   Transmission bitrate = [bl]64[/bl] kbit/s");
  EXPECT_EQ(lines[3], "   Channel arrangement = [bl]L + R[/bl], bsid = 6, bsmod =2");
}

TEST(Ac3, ParsedValues) {
  auto analysis = parseAc3(payloadOver(ac3Frame(2, 37, 8, 1, 7, true)));
  ASSERT_EQ(analysis.frames.size(), 1u);
  const Ac3FrameHeader& h = analysis.frames[0];
  EXPECT_FALSE(h.enhanced());
  EXPECT_EQ(h.sampleRate, 32000u);
  EXPECT_EQ(h.bitRate, 640000u);
  EXPECT_EQ(h.acmod, 7);
  EXPECT_EQ(h.lfeon, 1);
  EXPECT_EQ(h.bsmod, 1);
  EXPECT_EQ(h.blocks, 6u);
  // lfeon sits behind a varying number of mix level bits.
  EXPECT_EQ(parseAc3(payloadOver(ac3Frame(0, 8, 8, 0, 2, true))).frames[0].lfeon, 1);
  EXPECT_EQ(parseAc3(payloadOver(ac3Frame(0, 8, 8, 0, 1, true))).frames[0].lfeon, 1);
  EXPECT_EQ(parseAc3(payloadOver(ac3Frame(0, 8, 8, 0, 6, false))).frames[0].lfeon, 0);
}

TEST(Ac3, BadRatesReportAndRearm) {
  // fscod 3 (reserved): reported with 0 kHz, and the next frame too.
  auto lines = linesFor(concat({ac3Frame(3, 8, 8, 0, 2), ac3Frame(0, 8, 8, 0, 2)}));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "   Sampling frequency = [bl]0[/bl] kHz");
  EXPECT_EQ(lines[5], "   Sampling frequency = [bl]48[/bl] kHz");
  // frmsizecod 38 and above have no bit rate: 0, and re-armed as well.
  auto noRate = linesFor(concat({ac3Frame(0, 40, 8, 0, 2), ac3Frame(0, 8, 8, 0, 2)}));
  ASSERT_EQ(noRate.size(), 8u);
  EXPECT_EQ(noRate[2], "   Transmission bitrate = [bl]0[/bl] kbit/s");
}

TEST(Ac3, SyncWordInsideAHeaderIsNotAHeaderByte) {
  // crc1 = 0B 77: the 77 completes a sync word, is passed over, and the
  // following bytes move up by one place.
  std::vector<uint8_t> bytes = {0x0B, 0x77, 0x0B, 0x77, 0x1E, 0x40, 0xE0, 0x00, 0x00};
  auto analysis = parseAc3(payloadOver(bytes));
  ASSERT_EQ(analysis.frames.size(), 1u);
  EXPECT_EQ(analysis.frames[0].fscod, 1);  // taken from 0x40
  EXPECT_EQ(analysis.frames[0].bsid, 28);  // taken from 0xE0
}

TEST(Ac3, MidFrameStartAndCutHeader) {
  // Starts inside a frame: reported from the first sync word on.
  auto bytes = concat({{0x12, 0x0B, 0x34, 0x77}, ac3Frame(0, 30, 8, 0, 7)});
  EXPECT_EQ(linesFor(bytes).size(), 4u);
  // A header cut by the payload's end is not reported, even though more
  // bytes are loaded behind it.
  auto frame = ac3Frame(0, 30, 8, 0, 7);
  RecordingHost host;
  analyzeAc3(payloadOver(frame, 0, 6), 0, host);
  EXPECT_TRUE(host.lines.empty());
  EXPECT_TRUE(linesFor({}).empty());
}

TEST(Eac3, FrameSizeBlocksAndLfe) {
  EXPECT_EQ(linesFor(eac3Frame(0x2FF, 0, 3, 7, true), 1),
            (std::vector<std::string>{
                "   Stream 1 is [b]Dolby Digital Plus[/b]",
                "   frame size = 1536 bytes, number of blocks per frame = 6",
                "   Sampling frequency = [bl]48[/bl] kHz",
                "   Transmission bitrate = [bl]384[/bl] kbit/s",
                "   Channel arrangement = [bl]L + R + C + Ls + Rs[/bl], bsid = 16",
                "   LFE channel = [bl]present[/bl]",
            }));
  auto one = linesFor(eac3Frame(0x2FF, 0, 0, 2, false, 11));
  EXPECT_EQ(one[1], "   frame size = 1536 bytes, number of blocks per frame = 1");
  EXPECT_EQ(one[3], "   Transmission bitrate = [bl]2304[/bl] kbit/s");
  EXPECT_EQ(one[4], "   Channel arrangement = [bl]L + R[/bl], bsid = 11");
  EXPECT_EQ(one[5], "   LFE channel = [bl]not present[/bl]");
}

TEST(Eac3, BitRateFollowsTheSampleRate) {
  // 1536-byte frames of six blocks last 1536 samples: at 44.1 kHz that is
  // 352.8 kbit/s, not the 384 of 48 kHz.
  auto analysis = parseAc3(payloadOver(eac3Frame(0x2FF, 1, 3, 2, false)));
  ASSERT_EQ(analysis.frames.size(), 1u);
  EXPECT_EQ(analysis.frames[0].bitRate, 352800u);
  EXPECT_EQ(analysis.frames[0].sampleRate, 44100u);
  // fscod 3: fscod2 in numblkscod's place gives 24, 22.05 or 16 kHz with
  // six blocks, and only the first frame is reported.
  auto lines =
      linesFor(concat({eac3Frame(0x17F, 3, 0, 2, false), eac3Frame(0x17F, 3, 0, 2, false)}));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "   frame size = 768 bytes, number of blocks per frame = 6");
  EXPECT_EQ(lines[2], "   Sampling frequency = [bl]24[/bl] kHz");
  EXPECT_EQ(lines[3], "   Transmission bitrate = [bl]96[/bl] kbit/s");
  EXPECT_EQ(parseAc3(payloadOver(eac3Frame(0x17F, 3, 1, 2, false))).frames[0].sampleRate, 22050u);
  EXPECT_EQ(parseAc3(payloadOver(eac3Frame(0x17F, 3, 2, 2, false))).frames[0].sampleRate, 16000u);
  // fscod2 3 is reserved: no sampling frequency, no division, and the
  // search re-arms.
  lines = linesFor(concat({eac3Frame(0x2FF, 3, 3, 2, false), eac3Frame(0x17F, 0, 3, 2, false)}));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[2], "   Sampling frequency = [bl]0[/bl] kHz");
  EXPECT_EQ(lines[9], "   Transmission bitrate = [bl]192[/bl] kbit/s");
}

}  // namespace
}  // namespace vantrel
