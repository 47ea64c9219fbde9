#include "analyzers/mpeg2_video.h"

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

// ISO/IEC 13818-2 6.2.2.1 sequence_header()
std::vector<uint8_t> sequenceHeader(unsigned width, unsigned height, unsigned aspect,
                                    unsigned frameRate, unsigned bitRateValue) {
  BitWriter w;
  w.bytes({0x00, 0x00, 0x01, 0xB3});
  w.put(12, width).put(12, height).put(4, aspect).put(4, frameRate);
  w.put(18, bitRateValue)
      .flag(true)
      .put(10, 112)
      .flag(false);           // marker, vbv_buffer_size, constrained
  w.flag(false).flag(false);  // load_intra_quantiser_matrix, load_non_intra_quantiser_matrix
  return w.data();
}

// 6.2.2.3 sequence_extension()
std::vector<uint8_t> sequenceExtension(bool progressive) {
  BitWriter w;
  w.bytes({0x00, 0x00, 0x01, 0xB5});
  w.put(4, 1)
      .put(8, 0x48)
      .flag(progressive)
      .put(2, 1);  // id, profile_and_level, progressive, 4:2:0
  w.put(2, 0).put(2, 0).put(12, 0).flag(true).put(8, 0).flag(false).put(2, 0).put(5, 0);
  return w.data();
}

// 6.2.3 picture_header() and 6.2.3.1 picture_coding_extension()
std::vector<uint8_t> picture(unsigned type, bool withExtension = true) {
  BitWriter w;
  w.bytes({0x00, 0x00, 0x01, 0x00});
  w.put(10, 0).put(3, type).put(16, 0xFFFF);  // temporal_reference, type, vbv_delay
  if (type == 2 || type == 3) w.flag(false).put(3, 7);
  if (type == 3) w.flag(false).put(3, 7);
  w.flag(false).align();
  std::vector<uint8_t> out = w.data();
  if (withExtension) {
    BitWriter e;
    e.bytes({0x00, 0x00, 0x01, 0xB5});
    e.put(4, 8).put(16, 0x1111).put(2, 0).put(2, 3).put(6, 0).flag(true);  // f_codes, ...,
                                                                           // picture_structure
    e.put(8, 0x80).align();
    out = concat({out, e.data()});
  }
  // Some slice data, as in a real picture.
  return concat({out, {0x00, 0x00, 0x01, 0x01, 0x12, 0x34, 0x56}});
}

struct Result {
  std::vector<std::string> lines;
  std::optional<double> rate;
};

Result analyze(const std::vector<uint8_t>& bytes, uint32_t pts = 0x0000ABCD) {
  RecordingHost host;
  Result r;
  r.rate = analyzeMpeg2Video(payloadOver(bytes), pts, host);
  r.lines = host.lines;
  return r;
}

TEST(Mpeg2Video, SequenceHeaderExtensionAndOnePicture) {
  Result r = analyze(
      concat({sequenceHeader(720, 576, 3, 3, 24500), sequenceExtension(false), picture(1)}));
  EXPECT_EQ(r.lines, (std::vector<std::string>{
                         "   Sequence Header found",
                         "   size = [bl]720[/bl]x[bl]576[/bl]",
                         "   Aspect ratio = [bl]16:9[/bl]",
                         "   Frame rate = [bl]25[/bl] fps",
                         "  Sequence header bitrate = [bl]9800[/bl] kbps",
                         "   Progressive Sequence = 0",
                     }));
  EXPECT_EQ(r.rate, 25.0);
}

TEST(Mpeg2Video, FirstTimeStampAtTheSecondPicture) {
  Result r = analyze(concat({sequenceHeader(1920, 1080, 3, 4, 100), sequenceExtension(true),
                             picture(1), picture(3), picture(3)}),
                     0x00012345);
  ASSERT_EQ(r.lines.size(), 7u);
  EXPECT_EQ(r.lines[5], "   Progressive Sequence = 1");
  EXPECT_EQ(r.lines[6], "   First Video PTS = 00012345");
  EXPECT_EQ(r.rate, 30000.0 / 1001.0);
}

TEST(Mpeg2Video, PicturesBeforeTheFirstSequenceHeader) {
  Result r = analyze(concat({picture(3), picture(3), sequenceHeader(720, 480, 2, 1, 100),
                             sequenceExtension(false), picture(1)}));
  ASSERT_GE(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], "   Sequence Header found");
  EXPECT_EQ(r.lines[1], "   2 frames before first Sequence Header");
  EXPECT_EQ(r.lines[3], "   Aspect ratio = [bl]4:3[/bl]");
  EXPECT_EQ(r.lines[4], "   Frame rate = [bl]23.976[/bl] fps");
}

TEST(Mpeg2Video, LaterSequenceHeaders) {
  // After the sequence extension, a second header logs nothing.
  Result quiet = analyze(concat({sequenceHeader(720, 576, 2, 3, 100), sequenceExtension(false),
                                 picture(1), sequenceHeader(352, 288, 2, 6, 100)}));
  EXPECT_EQ(quiet.lines.size(), 6u);
  EXPECT_EQ(quiet.rate, 25.0);

  // Without an extension in between, the second header's values are
  // logged too (and its rate is the one kept), "found" only once.
  Result twice = analyze(concat({sequenceHeader(720, 576, 2, 3, 100), picture(1, false),
                                 sequenceHeader(352, 288, 1, 6, 0x3FFFF)}));
  EXPECT_EQ(twice.lines, (std::vector<std::string>{
                             "   Sequence Header found",
                             "   size = [bl]720[/bl]x[bl]576[/bl]",
                             "   Aspect ratio = [bl]4:3[/bl]",
                             "   Frame rate = [bl]25[/bl] fps",
                             "  Sequence header bitrate = [bl]40[/bl] kbps",
                             "   size = [bl]352[/bl]x[bl]288[/bl]",
                             "   Aspect ratio = [bl]1:1[/bl] (square samples)",
                             "   Frame rate = [bl]50[/bl] fps",
                             "  Sequence header bitrate = [bl]104857[/bl] kbps",
                         }));
  EXPECT_EQ(twice.rate, 50.0);
  // 0x3FFFF marks a variable rate: no bit rate is kept, not even the first.
  EXPECT_FALSE(parseMpeg2Video(payloadOver(concat({sequenceHeader(720, 576, 2, 3, 100),
                                                   picture(1, false),
                                                   sequenceHeader(352, 288, 1, 6, 0x3FFFF)})))
                   .bitRate);
}

TEST(Mpeg2Video, IllegalPictureCodingTypes) {
  Result r = analyze(concat({picture(4, false), picture(0, false), picture(1, false),
                             picture(2, false), picture(3, false), picture(7, false)}));
  EXPECT_EQ(r.lines, (std::vector<std::string>{
                         "   illegal picture_coding_type = 4",
                         "   illegal picture_coding_type = 0",
                         "   illegal picture_coding_type = 7",
                     }));
  // No sequence header: no rate to store.
  EXPECT_FALSE(r.rate.has_value());
}

TEST(Mpeg2Video, FrameRateCodes) {
  auto rateFor = [](unsigned code) {
    return analyze(concat({sequenceHeader(720, 576, 0, code, 1), sequenceExtension(false)}));
  };
  Result r = rateFor(7);
  EXPECT_EQ(r.lines[2], "   Aspect ratio = forbidden");
  EXPECT_EQ(r.lines[3], "   Frame rate = [bl]59.94[/bl] fps");
  EXPECT_DOUBLE_EQ(*r.rate, 59.94005994005994);
  // Forbidden and reserved codes store 1, never 0.
  r = rateFor(0);
  EXPECT_EQ(r.lines[3], "   Frame rate = forbidden");
  EXPECT_EQ(r.rate, 1.0);
  r = rateFor(12);
  EXPECT_EQ(r.lines[3], "   Frame rate = reserved");
  EXPECT_EQ(r.rate, 1.0);
  r = analyze(concat({sequenceHeader(720, 576, 9, 8, 1), sequenceExtension(false)}));
  EXPECT_EQ(r.lines[2], "   Aspect ratio = reserved");
  EXPECT_EQ(r.rate, 60.0);
}

TEST(Mpeg2Video, HeaderCutByThePayloadsEnd) {
  // The header ends after the size bytes: only the size is logged, and
  // bytes loaded behind the payload are not looked at.
  auto bytes = concat({sequenceHeader(720, 576, 3, 3, 24500), sequenceExtension(false)});
  RecordingHost host;
  auto rate = analyzeMpeg2Video(payloadOver(bytes, 0, 7), 0, host);
  EXPECT_EQ(host.lines, (std::vector<std::string>{"   Sequence Header found",
                                                  "   size = [bl]720[/bl]x[bl]576[/bl]"}));
  EXPECT_FALSE(rate.has_value());
}

TEST(Mpeg2Video, ParsedSummary) {
  auto analysis = parseMpeg2Video(payloadOver(
      concat({sequenceHeader(1440, 1080, 3, 4, 62500), sequenceExtension(false), picture(1)})));
  ASSERT_TRUE(analysis.size && analysis.aspectAndFrameRate && analysis.bitRate);
  EXPECT_EQ(analysis.size->width, 1440);
  EXPECT_EQ(analysis.size->height, 1080);
  EXPECT_EQ(*analysis.bitRate, 25000000u);
  EXPECT_EQ(analysis.progressive, false);
}

}  // namespace
}  // namespace vantrel
