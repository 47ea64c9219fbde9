#include "analyzers/lpcm.h"

#include <gtest/gtest.h>

#include "analyzer_test_support.h"
#include "analyzers/analyzers.h"
#include "tests/support/recording_host.h"
#include "common/text_format.h"

namespace vantrel {
namespace {

using testing::payloadOver;

std::vector<std::string> linesFor(const std::array<uint8_t, 7>& header, size_t payloadBytes = 16) {
  std::vector<uint8_t> audio(payloadBytes, 0x55);
  RecordingHost host;
  analyzeLpcm(header, payloadOver(audio), host);
  return host.lines;
}

TEST(Lpcm, WholeHeaderWithoutDynamicRange) {
  EXPECT_EQ(linesFor({0xA0, 0x06, 0x00, 0x04, 0x00, 0x10, 0x80}),
            (std::vector<std::string>{
                "   Number of frame headers = 6",
                "   First acces unit pointer = 0004",
                "   Emphasis = off, mute = off",
                "   Frame number = 0",
                "   Quantization length = [bl]16[/bl] bits",
                "   Sampling frequency = [bl]96[/bl] kHz",
                "   Number of audio channels = [bl]1[/bl]",
            }));
}

TEST(Lpcm, FlagsFormatAndDynamicRange) {
  auto lines = linesFor({0xA1, 0x01, 0x12, 0x34, 0xC5, 0x41, 0x00});
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "   First acces unit pointer = 1234");
  EXPECT_EQ(lines[2], "   Emphasis = on, mute = on");
  EXPECT_EQ(lines[3], "   Frame number = 5");
  EXPECT_EQ(lines[4], "   Quantization length = [bl]20[/bl] bits");
  EXPECT_EQ(lines[5], "   Sampling frequency = [bl]48[/bl] kHz");
  EXPECT_EQ(lines[6], "   Number of audio channels = [bl]2[/bl]");
  EXPECT_EQ(lines[7], "   Dynamic range = 24.082 dB");

  // Exponent 1, mantissa 2: 24.082 - 6.0206 - 0.4014.
  EXPECT_EQ(linesFor({0xA0, 1, 0, 4, 0, 0, 0x22}).back(), "   Dynamic range = 17.66 dB");
  // Code 3 of either field has no name.
  auto reserved = linesFor({0xA0, 1, 0, 4, 0, 0xF0, 0x80});
  EXPECT_EQ(reserved[4], "   Quantization length = [bl][/bl] bits");
  EXPECT_EQ(reserved[5], "   Sampling frequency = [bl][/bl] kHz");
}

TEST(Lpcm, SixChannelsAreNotFoldedToTwo) {
  // number_of_audio_channels is three bits: 101 means six channels.
  auto header = parseLpcm({0xA0, 1, 0, 4, 0, 0x05, 0x80}, payloadOver(std::vector<uint8_t>(4)));
  EXPECT_EQ(header.channelCount, 6);
  EXPECT_EQ(header.bitsPerSample(), 16);
  EXPECT_EQ(header.sampleRateHz(), 48000);
  EXPECT_EQ(linesFor({0xA0, 1, 0, 4, 0, 0x05, 0x80})[6],
            "   Number of audio channels = [bl]6[/bl]");
}

TEST(Lpcm, EmptyPayloadStopsBeforeTheDynamicRangeByte) {
  auto lines = linesFor({0xA0, 1, 0, 4, 0, 0x10, 0x00}, 0);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines.back(), "   Number of audio channels = [bl]1[/bl]");
}

TEST(Lpcm, DecimalSeparatorOfTheLocale) {
  setDecimalSeparator(',');
  auto lines = linesFor({0xA0, 1, 0, 4, 0, 0x10, 0x00});
  setDecimalSeparator('.');
  EXPECT_EQ(lines.back(), "   Dynamic range = 24,082 dB");
}

}  // namespace
}  // namespace vantrel
