#include "analyzers/mlp.h"

#include <gtest/gtest.h>

#include "analyzer_test_support.h"
#include "analyzers/analyzers.h"
#include "tests/support/recording_host.h"

namespace vantrel {
namespace {

using testing::concat;
using testing::payloadOver;

const std::vector<uint8_t> kTrueHdSync = {0xF8, 0x72, 0x6F, 0xBA};
const std::vector<uint8_t> kMlpSync = {0xF8, 0x72, 0x6F, 0xBB};

std::vector<std::string> linesFor(const std::vector<uint8_t>& bytes) {
  RecordingHost host;
  analyzeMlp(payloadOver(bytes), host);
  return host.lines;
}

TEST(TrueHd, MajorSyncPresentations) {
  // format_info: 0000 xxxx | 00 00 0111 | 1 00 00000 | 0000 1111
  //   48 kHz; modifiers 0, 0, 0; 6ch assignment 01111; 8ch assignment 0x000F
  auto lines =
      linesFor(concat({{0x11, 0x22}, kTrueHdSync, {0x00, 0x07, 0x80, 0x0F, 0x80, 0x00, 0x99}}));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "   [b]TrueHD[/b] stream (up to 8 channels)",
                       "   Sampling frequency = [bl]48[/bl] kHz",
                       "   2 ch. decoder",
                       "      channel modifier = Stereo",
                       "   6 ch. decoder",
                       "      channel modifier = Stereo",
                       "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds "
                       "(Ls/Rs)[/bl]",
                       "   8 ch. decoder",
                       "      channel modifier = Stereo",
                       "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds "
                       "(Ls/Rs)[/bl]",
                   }));
}

TEST(TrueHd, ModifiersAndSparseAssignments) {
  // 0001 0000 (96 kHz) | 01 10 0101 | 0 11 00001 | 0000 0010 | 00 00
  //   modifiers Lt/Rt, Lbin/Rbin, Mono; 6ch 01010: Centre + Surrounds;
  //   8ch 0x0102: Centre + Top (Ts)
  auto lines = linesFor(concat({kTrueHdSync, {0x10, 0x65, 0x61, 0x02, 0x00, 0x00, 0x00}}));
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[1], "   Sampling frequency = [bl]96[/bl] kHz");
  EXPECT_EQ(lines[3], "      channel modifier = Lt/Rt");
  EXPECT_EQ(lines[5], "      channel modifier = Lbin/Rbin");
  EXPECT_EQ(lines[6], "      channel arrangement = [bl]Centre, Surrounds (Ls/Rs)[/bl]");
  EXPECT_EQ(lines[8], "      channel modifier = Mono");
  EXPECT_EQ(lines[9], "      channel arrangement = [bl]Centre, Top (Ts)[/bl]");
  EXPECT_EQ(lines[10], "   Dynamic range control = 24.082 dB .. 24.082 dB");
}

TEST(Mlp, MajorSyncFormat) {
  // 0010 xxxx (24 bits) | 1000 xxxx (44.1 kHz) | xx | xxx 10100 (code 20) | 80 (no range)
  auto lines = linesFor(concat({kMlpSync, {0x22, 0x88, 0x00, 0x14, 0x80, 0x12, 0x00}}));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "   [b]Standard MLP[/b] stream (up to 6 channels) ",
                       "   Quantization length = [bl]24[/bl] bits",
                       "   Sampling frequency = [bl]44.1[/bl] kHz",
                       "   Channel arrangement = [bl]Lf + Rf + Ls + Rs + C + LFE[/bl]",
                   }));
  auto parsed =
      parseMlp(payloadOver(concat({kMlpSync, {0x22, 0x88, 0x00, 0x14, 0x80, 0x12, 0x00}})));
  ASSERT_EQ(parsed.headers.size(), 1u);
  const auto& mlp = std::get<MlpMajorSync>(parsed.headers[0]);
  EXPECT_EQ(mlp.bitsPerSample(), 24);
  EXPECT_EQ(mlp.sampleRateHz(), 44100);
}

TEST(Mlp, EverySyncIsReportedAndTheLastByteIsNeverTaken) {
  // Two MLP headers; the second is cut by the payload's end after byte 2,
  // whose value (the last payload byte) is not taken.
  auto bytes =
      concat({kMlpSync, {0x00, 0x00, 0x00, 0x01, 0x21, 0x05, 0xEE}, kMlpSync, {0x10, 0x90}});
  auto lines = linesFor(bytes);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], "   Channel arrangement = [bl]L + R[/bl]");
  // 0x21: exponent 1, mantissa 1; 0x05: mantissa 5
  EXPECT_EQ(lines[4], "   Dynamic range control = 17.8607 dB .. 23.0785 dB");
  EXPECT_EQ(lines[5], "   [b]Standard MLP[/b] stream (up to 6 channels) ");
  EXPECT_EQ(lines[6], "   Quantization length = [bl]20[/bl] bits");
}

TEST(Mlp, ASyncInsideAHeaderStartsItAfresh) {
  auto bytes =
      concat({kMlpSync, {0x00, 0x00}, kMlpSync, {0x10, 0x90, 0x00, 0x00, 0x80, 0x00, 0x00}});
  auto parsed = parseMlp(payloadOver(bytes));
  ASSERT_EQ(parsed.headers.size(), 2u);
  // 00 00 F8 72 6F were taken as bytes 1-5 before the sync word completed.
  EXPECT_EQ(std::get<MlpMajorSync>(parsed.headers[0]).bytesTaken, 5);
  EXPECT_EQ(std::get<MlpMajorSync>(parsed.headers[1]).bytesTaken, 6);
  EXPECT_EQ(std::get<MlpMajorSync>(parsed.headers[1]).sampleRateHz(), 88200);
}

TEST(Mlp, TheMajorSyncSignatureIsNoDynamicRange) {
  // B7 52 after the format fields is major_sync_signature (every encoded
  // stream, checked on ffmpeg's against ffprobe): no dynamic range.
  auto mlp = parseMlp(payloadOver(concat({kMlpSync, {0x22, 0x88, 0x00, 0x14, 0xB7, 0x52, 0x00}})));
  EXPECT_FALSE(std::get<MlpMajorSync>(mlp.headers.at(0)).dynamicRange);
  // Other bytes are still read as a range.
  auto other = linesFor(concat({kMlpSync, {0x22, 0x88, 0x00, 0x14, 0xB7, 0x53, 0x00}}));
  EXPECT_EQ(other.back(), "   Dynamic range control = -10.6371 dB .. 8.2275 dB");
}

TEST(Mlp, NoSyncNoLines) {
  EXPECT_TRUE(linesFor({0xF8, 0x72, 0x6F, 0xBC, 0, 0, 0, 0, 0, 0, 0}).empty());
  EXPECT_TRUE(linesFor({}).empty());
}

}  // namespace
}  // namespace vantrel
