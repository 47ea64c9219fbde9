// "Detailed info": first PTS, delay, substream id and the subpicture format.
#include <gtest/gtest.h>

#include "engine/stream_report.h"
#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

struct Details : ::testing::Test {
  Engine e;
  Details() { e.session.options.details = true; }
};

TEST_F(Details, PtsOnlyAndPtsWithDtsGiveTheSameStamp) {
  // Bit 32 set: it is dropped in both header forms.
  const uint64_t pts = 0x1'2345'6789ull;
  Title t;
  t.pes({.streamId = 0xE0, .pts = pts, .dts = pts - 3003, .payload = mpeg2Pictures(1)});
  t.audio(0x80, pts, {0x00, 0x00});
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_EQ(e.countLogged("   First PTS = [re]23456789[/re]  ([re]+6575011[/re]ms)"), 2)
      << e.host.text();
  EXPECT_EQ(e.session.state.MinFirstPts, 0x23456789u);
}

TEST_F(Details, DelayIsMeasuredFromTheFirstVideoFrame) {
  Title t;
  psmux::Navigation nav;
  nav.firstVideoPtm = 90000;
  nav.lastVideoPtm = 90000 + 90000 * 60;
  t.nav(nav);
  t.video(0xE0, 90000, mpeg2Pictures(1));         // at the first frame: no delay
  t.audio(0x80, 90000 + 90 * 250, {0x00, 0x00});  // 250 ms later
  t.audio(0x81, 90000 - 90 * 40, {0x00, 0x00});   // 40 ms earlier
  t.subpicture(0x20, 90000 + 90 * 1000, {0x00, 0x00, 0x01});
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_TRUE(e.logged("   First PTS = [re]00015F90[/re]")) << e.host.text();
  EXPECT_TRUE(e.logged("   First PTS = [re]0001B774[/re]  ([re]+250[/re]ms)"));
  EXPECT_TRUE(e.logged("   First PTS = [re]00015180[/re]  ([re]-40[/re]ms)"));
  EXPECT_TRUE(e.logged("   First PTS = [re]0002BF20[/re]  ([re]+1000[/re]ms)"));
  EXPECT_TRUE(e.logged("   Substream id = E0"));
  EXPECT_TRUE(e.logged("   Substream id = 81"));
  EXPECT_TRUE(e.logged("   Substream id = 20"));
  EXPECT_TRUE(e.logged("   Format = [bl]8bitRLE[/bl]"));
  // Subpictures do not lower the smallest first PTS.
  EXPECT_EQ(e.session.state.MinFirstPts, uint32_t(90000 - 90 * 40));
}

TEST_F(Details, DelaysAndTheSmallestFirstPtsHoldAcrossAStampThatWrapsPast2To32) {
  const uint64_t first = (1ull << 32) - 4500;  // 50 ms before the wrap
  Title t;
  psmux::Navigation nav;
  nav.firstVideoPtm = uint32_t(first);
  nav.lastVideoPtm = uint32_t(first + 90000);
  t.nav(nav);
  t.video(0xE0, first, mpeg2Pictures(1));
  t.audio(0x80, first + 90 * 250, {0x00, 0x00});  // wrapped: 00004650
  t.audio(0x81, first - 90 * 40, {0x00, 0x00});
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_TRUE(e.logged("   First PTS = [re]00004650[/re]  ([re]+250[/re]ms)")) << e.host.text();
  EXPECT_TRUE(e.logged("   First PTS = [re]FFFFE05C[/re]  ([re]-40[/re]ms)"));
  EXPECT_EQ(e.session.state.MinFirstPts, uint32_t(first - 90 * 40));
  EXPECT_EQ(delayMs(0x4650, uint32_t(first)), 250);
}

TEST_F(Details, EachStreamIsDetailedOncePerPassAtItsFirstPacket) {
  Title t;
  t.audio(0x80, std::nullopt, {0x00});  // first packet without PTS: first PTS 0
  t.audio(0x80, 5000, {0x00});
  t.subpicture(0x21, 7000, {0x12, 0x00});
  t.subpicture(0x21, 8000, {0x00, 0x00});
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_EQ(e.countLogged("   Substream id = 80"), 1);
  EXPECT_TRUE(e.logged("   First PTS = [re]00000000[/re]"));
  EXPECT_EQ(e.countLogged("   Substream id = 21"), 1);
  EXPECT_TRUE(e.logged("   Format = [bl]2bitRLE[/bl]"));
  EXPECT_FALSE(e.logged("   Format = [bl]8bitRLE[/bl]"));
}

TEST_F(Details, AStampFromAnotherPacketIsNotTakenAsFirstPts) {
  Title t;
  t.video(0xE0, 0x1000, mpeg2Pictures(1));
  t.audio(0x80, std::nullopt, {0x00});  // no PTS of its own
  e.scan(e.write("F.EVO", t.bytes()));
  const auto& lines = e.host.lines;
  auto at = std::find(lines.begin(), lines.end(), "[b]Dolby Digital[/b] audio stream 0 found!");
  ASSERT_NE(at, lines.end());
  ASSERT_NE(at + 1, lines.end());
  EXPECT_EQ(*(at + 1), "   First PTS = [re]00000000[/re]");
}

TEST(DetailsOff, NothingButFoundLinesAndNoFirstPts) {
  Engine e;
  Title t;
  t.video(0xE0, 9000, mpeg2Pictures(1));
  t.audio(0x80, 9000, {0x00});
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_EQ(e.host.lines.size(), 2u);
  EXPECT_EQ(e.session.state.MinFirstPts, kNoFirstPts);
}

}  // namespace
}  // namespace vantrel::testing
