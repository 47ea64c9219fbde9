#include "analyzers/vc1.h"

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

struct Vc1Fields {
  unsigned profile = 3, level = 3, colordiff = 1;
  unsigned codedWidth = 959, codedHeight = 539;  // 1920x1080
  bool pulldown = false, interlace = false, psf = false;
  bool displayExt = true;
  unsigned dispWidth = 1919, dispHeight = 1079;
  std::optional<unsigned> aspect = 1;
  unsigned aspectH = 0, aspectV = 0;  // ASPECT_HORIZ_SIZE, ASPECT_VERT_SIZE as coded
  bool frameRateFlag = true;
  bool explicitRate = false;
  unsigned exponent = 0, nr = 1, dr = 2;
};

// An Advanced-profile sequence header (SMPTE 421M 6.1) behind its start
// code, with a few stray bytes in front.
std::vector<uint8_t> sequenceHeader(const Vc1Fields& f) {
  BitWriter w;
  w.bytes({0x00, 0x00, 0x01, 0x0F});
  w.put(2, f.profile).put(3, f.level).put(2, f.colordiff);
  w.put(3, 7).put(5, 31).flag(true);  // FRMRTQ_POSTPROC, BITRTQ_POSTPROC, POSTPROCFLAG
  w.put(12, f.codedWidth).put(12, f.codedHeight);
  w.flag(f.pulldown).flag(f.interlace).flag(true).flag(false).flag(false);  // ..., RESERVED
  w.flag(f.psf).flag(f.displayExt);
  if (f.displayExt) {
    w.put(14, f.dispWidth).put(14, f.dispHeight);
    w.flag(f.aspect.has_value());
    if (f.aspect) {
      w.put(4, *f.aspect);
      if (*f.aspect == 15) w.put(8, f.aspectH).put(8, f.aspectV);
    }
    w.flag(f.frameRateFlag);
    if (f.frameRateFlag) {
      w.flag(f.explicitRate);
      if (f.explicitRate)
        w.put(16, f.exponent);
      else
        w.put(8, f.nr).put(4, f.dr);
    }
    w.flag(true).put(24, 0x010101);  // COLOR_FORMAT_FLAG, COLOR_PRIM, ...
  }
  w.flag(false).trailingBits();  // HRD_PARAM_FLAG
  return concat({{0xAA, 0x00, 0x00, 0x01, 0x0E, 0x55}, w.data(), {0x00, 0x00, 0x01, 0x0E, 0x12}});
}

struct Result {
  std::vector<std::string> lines;
  std::optional<double> rate;
};

Result analyze(const Vc1Fields& f) {
  RecordingHost host;
  auto bytes = sequenceHeader(f);
  Result result;
  result.rate = analyzeVc1(payloadOver(bytes), host);
  result.lines = host.lines;
  return result;
}

TEST(Vc1, FullHdAt2997) {
  Vc1Fields f;
  f.nr = 3;
  Result r = analyze(f);
  EXPECT_EQ(r.lines, (std::vector<std::string>{
                         "   Profile = Advanced",
                         "   Level = 3",
                         "   Chroma Format = [bl]4:2:0[/bl]",
                         "   Size = [bl]1920[/bl]x[bl]1080[/bl]",
                         "   Display size = [bl]1920[/bl]x[bl]1080[/bl]",
                         "   Aspect ratio = [bl]1:1[/bl] (square samples)",
                         "   Frame Rate = [bl]29.97[/bl] (30000/1001)",
                     }));
  EXPECT_EQ(r.rate, 30000.0 / 1001.0);
}

TEST(Vc1, PulldownTurns2997Into23976) {
  Vc1Fields f;
  f.nr = 3;
  f.pulldown = true;
  Result r = analyze(f);
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]23.976[/bl] (24000/1001)");
  EXPECT_EQ(r.rate, 24000.0 / 1001.0);
  // Pulldown leaves other numerators alone.
  f.nr = 2;
  f.dr = 1;
  r = analyze(f);
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]25[/bl] (25000/1000)");
  EXPECT_EQ(r.rate, 25.0);
}

TEST(Vc1, ExplicitFrameRate) {
  Vc1Fields f;
  f.explicitRate = true;
  f.exponent = 767;
  Result r = analyze(f);
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]24[/bl]");
  EXPECT_EQ(r.rate, 24.0);
  f.exponent = 0;
  r = analyze(f);
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]0.03125[/bl]");
  EXPECT_EQ(r.rate, 0.03125);
}

TEST(Vc1, ReservedAndForbiddenCodes) {
  Vc1Fields f;
  f.nr = 9;
  f.dr = 1;
  Result r = analyze(f);
  ASSERT_GE(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[r.lines.size() - 2], "   Reserved Frame Rate!");
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]0.009[/bl] (9/1000)");

  f.nr = 2;
  f.dr = 5;
  r = analyze(f);
  EXPECT_EQ(r.lines[r.lines.size() - 2], "   Reserved Frame Rate!");
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]5000[/bl] (25000/5)");

  // A forbidden numerator still divides in the log; the frame report gets
  // no rate from codes without one.
  f.nr = 0;
  f.dr = 2;
  r = analyze(f);
  EXPECT_EQ(r.lines[r.lines.size() - 2], "   Forbidden Frame Rate!");
  EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]0[/bl] (0/1001)");
  EXPECT_FALSE(r.rate.has_value());
}

TEST(Vc1, ForbiddenDenominatorGivesNoRate) {
  // FRAMERATEDR 0: nothing to divide by, so no rate line and no rate.
  Vc1Fields f;
  f.nr = 2;
  f.dr = 0;
  Result r = analyze(f);
  EXPECT_EQ(r.lines.back(), "   Forbidden Frame Rate!");
  EXPECT_EQ(r.lines.size(), 7u);
  EXPECT_FALSE(r.rate.has_value());
}

TEST(Vc1, ShortHeaders) {
  // No display extension: the analysis ends after the PSF check.
  Vc1Fields f;
  f.displayExt = false;
  f.psf = true;
  Result r = analyze(f);
  ASSERT_EQ(r.lines.size(), 5u);
  EXPECT_EQ(r.lines.back(), "  Progressive segmented frames.");
  EXPECT_FALSE(r.rate.has_value());

  // No aspect ratio, no frame rate.
  f = {};
  f.aspect.reset();
  f.frameRateFlag = false;
  r = analyze(f);
  ASSERT_EQ(r.lines.size(), 5u);
  EXPECT_EQ(r.lines.back(), "   Display size = [bl]1920[/bl]x[bl]1080[/bl]");
  EXPECT_FALSE(r.rate.has_value());
}

TEST(Vc1, AspectRatios) {
  // Explicit sizes are coded minus one (SMPTE 421M 6.1.14.3): 15, 8 is 16:9
  // and 4, 3 is 5:4.
  Vc1Fields f;
  f.aspect = 15;
  f.aspectH = 15;
  f.aspectV = 8;
  EXPECT_EQ(analyze(f).lines[5], "   Aspect ratio = 16:9");
  f.aspectH = 4;
  f.aspectV = 3;
  EXPECT_EQ(analyze(f).lines[5], "   Aspect ratio = 5:4");
  f.aspect = 13;
  EXPECT_EQ(analyze(f).lines[5], "   Aspect ratio = [bl]160:99[/bl] (528x480 16:9)");
  f.aspect = 14;  // reserved in VC-1, where H.264's 14 is 4:3
  EXPECT_EQ(analyze(f).lines[5], "   Aspect ratio = Reserved");
  f.aspect = 0;
  EXPECT_EQ(analyze(f).lines[5], "   Aspect ratio = unspecified");
}

TEST(Vc1, ReservedProfileLevelAndChroma) {
  Vc1Fields f;
  f.profile = 1;
  f.level = 5;
  f.colordiff = 2;
  f.codedWidth = 359;
  f.codedHeight = 287;
  auto lines = analyze(f).lines;
  EXPECT_EQ(lines[0], "   Profile = Reserved");
  EXPECT_EQ(lines[1], "   Level = Reserved");
  EXPECT_EQ(lines[2], "   Chroma Format = Reserved");
  EXPECT_EQ(lines[3], "   Size = [bl]720[/bl]x[bl]576[/bl]");
}

TEST(Vc1, MissingOrCutHeaders) {
  // Nothing to find: nothing logged, nothing stored.
  std::vector<uint8_t> bytes(40, 0xFF);
  RecordingHost host;
  EXPECT_FALSE(analyzeVc1(payloadOver(bytes, 3), host).has_value());
  EXPECT_TRUE(host.lines.empty());
  // Cut inside FRAMERATENR (stray bytes, start code and 11 header bytes),
  // more bytes loaded behind: everything before the frame rate.
  Vc1Fields f;
  auto whole = sequenceHeader(f);
  EXPECT_FALSE(analyzeVc1(payloadOver(whole, 0, 6 + 4 + 11), host).has_value());
  EXPECT_EQ(host.lines.size(), 6u);
  EXPECT_EQ(host.lines.back(), "   Aspect ratio = [bl]1:1[/bl] (square samples)");
}

TEST(Vc1, EscapedHeaderBytesAreUnescaped) {
  // A display size of 1x1 puts 00 00 0x into the header, which an encoder
  // escapes as 00 00 03 0x (SMPTE 421M Annex E).
  Vc1Fields f;
  f.dispWidth = f.dispHeight = 0;
  auto plain = sequenceHeader(f);
  auto escaped = concat({{plain.begin(), plain.begin() + 10},
                         testing::escapeRbsp({plain.begin() + 10, plain.end() - 5}),
                         {plain.end() - 5, plain.end()}});
  RecordingHost host;
  EXPECT_EQ(analyzeVc1(payloadOver(escaped), host), 24000.0 / 1001.0);
  EXPECT_EQ(host.lines[4], "   Display size = [bl]1[/bl]x[bl]1[/bl]");
}

}  // namespace
}  // namespace vantrel
