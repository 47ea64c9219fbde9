#include "analyzers/dts.h"

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

struct CoreFields {
  unsigned shortCount = 31, nblks = 15, fsize = 2012, amode = 9, sfreq = 13, rate = 24;
  unsigned extAudioId = 0;
  bool extAudio = false;
  unsigned lff = 1;
  bool cpf = false;
  unsigned hcrc = 0;
  unsigned vernum = 7, pcmr = 6;
};

// A core frame header (ETSI TS 102 114 5.4) followed by `tail` bytes of
// filler.
std::vector<uint8_t> coreFrame(const CoreFields& f, size_t tail = 32) {
  BitWriter w;
  w.put(32, 0x7FFE8001);
  w.flag(true).put(5, f.shortCount).flag(f.cpf).put(7, f.nblks).put(14, f.fsize);
  w.put(6, f.amode).put(4, f.sfreq).put(5, f.rate);
  w.put(5, 0);  // MIX, DYNF, TIMEF, AUXF, HDCD
  w.put(3, f.extAudioId).flag(f.extAudio).flag(false).put(2, f.lff).flag(false);
  if (f.cpf) w.put(16, f.hcrc);
  w.flag(false).put(4, f.vernum).put(2, 0).put(3, f.pcmr);
  w.put(6, 0).align();
  return concat({w.data(), std::vector<uint8_t>(tail, 0x11)});
}

std::vector<std::string> linesFor(const std::vector<uint8_t>& bytes) {
  RecordingHost host;
  analyzeDts(payloadOver(bytes), host);
  return host.lines;
}

TEST(Dts, CoreHeaderLines) {
  EXPECT_EQ(linesFor(coreFrame({})), (std::vector<std::string>{
                                         "   PCM core samples = 32",
                                         "   PCM sample blocks = 16",
                                         "   Primary frame byte size = 2012",
                                         "   Channel arrangement = [bl]C + L + R + Ls + Rs[/bl]",
                                         "   Sampling frequency = [bl]48[/bl] kHz",
                                         "   Transmission bitrate = [bl]1536[/bl] kbit/s",
                                         "   LFE channel = [bl]present[/bl] (IF:128)",
                                         "   Encoder software rev. = 7, Current",
                                         "   Source PCM resolution = [bl]24[/bl] bits",
                                     }));
  auto parsed = parseDts(payloadOver(coreFrame({})));
  ASSERT_EQ(parsed.events.size(), 1u);
  const auto& core = std::get<DtsCoreHeader>(parsed.events[0]);
  EXPECT_EQ(core.sampleRateHz(), 48000u);
  EXPECT_EQ(core.bitRate(), 1536000u);
  EXPECT_EQ(core.channelCount(), 5);
}

TEST(Dts, CrcExtensionAndOddCodes) {
  CoreFields f;
  f.cpf = true;
  f.hcrc = 0xBEEF;
  f.extAudio = true;
  f.extAudioId = 2;
  f.amode = 20;
  f.sfreq = 8;
  f.rate = 22;
  f.lff = 3;
  f.vernum = 9;
  f.pcmr = 4;
  auto lines = linesFor(coreFrame(f));
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[3], "   Channel arrangement = [bl]User defined[/bl]");
  EXPECT_EQ(lines[4], "   Sampling frequency = [bl]44,1[/bl] kHz");
  EXPECT_EQ(lines[5], "   Transmission bitrate = [bl]1411,2[/bl] kbit/s");
  EXPECT_EQ(lines[6], "   Extension audio = Frequency extension");
  EXPECT_EQ(lines[7], "   LFE channel = invalid");
  EXPECT_EQ(lines[8], "   Header CRC = BEEF");
  EXPECT_EQ(lines[9], "   Encoder software rev. = 9, Future rev. (incompatible");
  EXPECT_EQ(lines[10], "   Source PCM resolution = ");

  f = {};
  f.sfreq = 0;
  f.vernum = 0;
  f.rate = 31;
  lines = linesFor(coreFrame(f));
  EXPECT_EQ(lines[4], "   Sampling frequency = [bl]Invalid[/bl] kHz");
  EXPECT_EQ(lines[5], "   Transmission bitrate = [bl]Loss-less[/bl] kbit/s");
  EXPECT_EQ(lines[7], "   Encoder software rev. = 0, Future rev. (compatible)");
}

TEST(Dts, EveryFrameAndExtensionIsReported) {
  CoreFields second;
  second.amode = 2;
  auto bytes = concat({{0x00, 0x7F, 0xFE},
                       coreFrame({}, 8),
                       {0x5A, 0x5A, 0x5A, 0x5A, 0x00, 0x1D, 0x95, 0xF2, 0x62, 0x00},
                       coreFrame(second, 8)});
  auto lines = linesFor(bytes);
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[9], "   Channel extension found");
  EXPECT_EQ(lines[10], "   Frequency extensiond found ([bl]96[/bl] kHz)");
  EXPECT_EQ(lines[14], "   Channel arrangement = [bl]L + R (stereo)[/bl]");
}

TEST(Dts, TheLastPayloadByteIsNeverTaken) {
  std::vector<uint8_t> bytes = {0x5A, 0x5A, 0x5A, 0x5A};
  EXPECT_TRUE(linesFor(bytes).empty());
  bytes.push_back(0x00);
  EXPECT_EQ(linesFor(bytes).size(), 1u);
}

TEST(Dts, AHeaderCutByThePayloadsEndIsNotReported) {
  // The sync word and two header bytes are in the payload; the header's
  // other bytes are loaded too, but belong to the next pack. Every frame
  // before it is reported.
  auto frame = coreFrame({});
  auto bytes = concat({coreFrame({}, 8), frame});
  const size_t cut = bytes.size() - frame.size() + 6;
  RecordingHost host;
  analyzeDts(payloadOver(bytes, 0, cut), host);
  EXPECT_EQ(host.lines.size(), 9u);
  EXPECT_EQ(linesFor(std::vector<uint8_t>(frame.begin(), frame.begin() + 7)).size(), 0u);
  EXPECT_EQ(linesFor(bytes).size(), 18u);
}

}  // namespace
}  // namespace vantrel
