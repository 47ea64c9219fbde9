// Navigation packs, copy control and the file-kind differences.
#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

psmux::Navigation navigation(int audio, int subpictures) {
  psmux::Navigation nav;
  nav.vobNumber = 7;
  nav.firstVideoPtm = 0x0000BB80;
  nav.lastVideoPtm = 0x0000BB80 + 90000 * 125 + 45;  // 125.0005 s
  for (int i = 0; i < audio; ++i) nav.audioSync[size_t(i)] = 0x8000;
  for (int i = 0; i < subpictures; ++i) nav.subpictureSync[size_t(i)] = 0x80000000;
  return nav;
}

Bytes withSystemHeaderFirst(psmux::Navigation nav, psmux::Layout layout, size_t size) {
  Title t(layout);
  t.nav(nav);
  t.video(0xE0, 48000, mpeg2Pictures(1));
  t.padTo(size);
  return t.bytes();
}

TEST(Navigation, EvoLinesWithSubpictures) {
  auto nav = navigation(2, 3);
  nav.videoBound = 1;
  Engine e;
  e.scan(e.write("FEATURE_1.EVO", withSystemHeaderFirst(nav, psmux::Layout::HdDvd, kChunkSize)));
  const std::vector<std::string> expected = {
      "VOB number 7 contains [b]1[/b] video , [b]2[/b] audio and [b]3[/b] subpicture streams.",
      "PTM of first video frame = [re]0000BB80[/re]",
      "PTM of last video frame = 00AC64FD",
      "Duration = [b]0:02:05.001[/b]",
      "[b]MPEG-2[/b] video stream 0 found!"};
  EXPECT_EQ(e.host.lines, expected);
  const ProcessingState& st = e.session.state;
  EXPECT_EQ(st.FirstVideoPtm, 0xBB80u);
  EXPECT_EQ(st.LastVideoPtm, 0x00AC64FDu);
  EXPECT_NEAR(st.TitleDuration, 125.0005, 1e-9);
  EXPECT_NEAR(st.FileDuration * 86400, 125.0005, 1e-9);
}

TEST(Navigation, VobReadsItsEntries128BytesEarlier) {
  auto nav = navigation(1, 0);
  nav.videoBound = 1;
  nav.audioBound = 0;  // counted from the entries instead
  Engine e;
  e.scan(e.write("VTS_01_1.VOB", withSystemHeaderFirst(nav, psmux::Layout::Dvd, kChunkSize)));
  EXPECT_TRUE(e.logged("VOB number 7 contains [b]1[/b] video and [b]1[/b] audio stream" "s."))
      << e.host.text();
  // The same DVD bytes read at the HD DVD offsets find no entries there.
  Engine evo;
  evo.scan(evo.write("VTS_01_1.EVO", withSystemHeaderFirst(nav, psmux::Layout::Dvd, kChunkSize)));
  EXPECT_TRUE(evo.logged("VOB number 7 contains [b]1[/b] video and [b]0[/b] audio stream."))
      << evo.host.text();
}

TEST(Navigation, SystemHeaderCountsOnlyFromAFullFirstChunk) {
  auto nav = navigation(3, 0);
  nav.audioBound = 2;
  nav.videoBound = 1;
  Engine big;
  big.scan(big.write("F.EVO", withSystemHeaderFirst(nav, psmux::Layout::HdDvd, kChunkSize)));
  EXPECT_TRUE(big.logged("VOB number 7 contains [b]1[/b] video and [b]2[/b] audio streams."));
  // A file smaller than one chunk never reaches the system-header check.
  Engine small;
  small.scan(small.write("F.EVO", withSystemHeaderFirst(nav, psmux::Layout::HdDvd, 8192)));
  EXPECT_TRUE(small.logged("VOB number 7 contains [b]0[/b] video and [b]3[/b] audio streams."))
      << small.host.text();
}

TEST(Navigation, DvdAudioObjectsReportTheirSystemHeader) {
  struct Case {
    int video, audio;
    const char* line;
  };
  for (const Case& c : {Case{0, 1, "It contains [b]1[/b] audio stream."},
                        Case{0, 2, "It contains [b]2[/b] audio streams."},
                        Case{1, 1, "It contains [b]1[/b] video stream and [b]1[/b] audio stream."}}) {
    auto nav = navigation(0, 0);
    nav.audioBound = c.audio;
    nav.videoBound = c.video;
    Engine e;
    e.scan(e.write("ATS_01_1.AOB", withSystemHeaderFirst(nav, psmux::Layout::HdDvd, kChunkSize)));
    ASSERT_FALSE(e.host.lines.empty());
    EXPECT_EQ(e.host.lines.front(), c.line);
  }
  Engine evo;
  evo.scan(evo.write("F.EVO", withSystemHeaderFirst(navigation(0, 0), psmux::Layout::HdDvd, kChunkSize)));
  EXPECT_EQ(evo.host.text().find("It contains"), std::string::npos);
}

TEST(Navigation, OnlyTheFirstNavigationPackOfAFileCountsAndTimesSpanAChain) {
  Engine e;
  Title first;
  first.nav(navigation(1, 0));
  auto later = navigation(1, 0);
  later.vobNumber = 8;
  first.nav(later);
  Title second;
  auto nav2 = navigation(1, 0);
  nav2.vobNumber = 9;
  nav2.firstVideoPtm = 0x00AC64FD;
  nav2.lastVideoPtm = 0x00AC64FD + 90000 * 10;
  second.nav(nav2);
  e.scan(e.write("FEATURE_1.EVO", first.bytes()));
  e.pass(e.write("FEATURE_2.EVO", second.bytes()), ScanMode, false);
  EXPECT_TRUE(e.logged("VOB number 7 contains [b]0[/b] video and [b]1[/b] audio stream."));
  EXPECT_FALSE(e.logged("VOB number 8 contains [b]0[/b] video and [b]1[/b] audio stream."));
  EXPECT_TRUE(e.logged("VOB number 9 contains [b]0[/b] video and [b]1[/b] audio stream."));
  // The reference time stays the first file's; the durations add up.
  EXPECT_EQ(e.session.state.FirstVideoPtm, 0xBB80u);
  EXPECT_EQ(e.session.state.LastVideoPtm, 0x00AC64FDu + 900000);
  EXPECT_NEAR(e.session.state.TitleDuration, 135.0005, 1e-9);
}

TEST(Navigation, DemuxPassesUpdateTimesSilently) {
  Title t;
  t.nav(navigation(1, 1));
  Engine e;
  e.pass(e.write("F.EVO", t.bytes()), DemuxMode, false);
  EXPECT_TRUE(e.host.lines.empty());
  EXPECT_EQ(e.session.state.LastVideoPtm, 0x00AC64FDu);
}

TEST(Navigation, ANavigationPackCutByTheEndOfTheFileIsNotRead) {
  Title t;
  t.nav(navigation(1, 0));
  Bytes cut(t.bytes().begin(), t.bytes().begin() + 1287 + 7 + 100);  // inside the DSI fields
  Engine e;
  e.scan(e.write("F.EVO", cut));
  EXPECT_TRUE(e.host.lines.empty()) << e.host.text();
  EXPECT_EQ(e.session.state.FirstVideoPtm, 0u);
}

TEST(Navigation, ANavigationPackSplitAcrossChunksWaitsForTheNextWholeOne) {
  Title t;
  t.nav(navigation(1, 0));
  auto second = navigation(2, 0);
  second.vobNumber = 99;
  t.nav(second);
  RecordingHost host;
  Session session(host);
  auto lines = scanInChunks(t.bytes(), 1500, session);  // the first DSI spans chunks 1 and 2
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "VOB number 99 contains [b]0[/b] video and [b]2[/b] audio streams.");
}

Bytes copyControlTitle(psmux::CopyControl cc) {
  Title t;
  t.copyControl(cc);
  psmux::CopyControl second;  // only the first copy-control packet of a file is read
  second.byte12 = 0xC0;
  t.copyControl(second);
  return t.bytes();
}

TEST(CopyControl, LinesInTheirOrderInScanAndDemuxPasses) {
  psmux::CopyControl cc;
  cc.byte12 = 0x40;
  cc.byte24 = 0xF0;
  cc.byte26 = (5 << 5) | (6 << 2) | 0x03;
  const std::vector<std::string> expected = {
      "[b]This file is ENCRYPTED![/b] Decrypt it before any process.", "[b]Copy Never[/b]",
      "[b]APS2 is ON[/b]", "[b]ICT on, constrained analog output[/b]",
      "[b]DOT on, analog output not allowed[/b]"};
  Engine scan;
  scan.scan(scan.write("F.EVO", copyControlTitle(cc)));
  EXPECT_EQ(scan.host.lines, expected);
  Engine demux;
  demux.pass(demux.write("F.EVO", copyControlTitle(cc)), DemuxMode, false);
  EXPECT_EQ(demux.host.lines, expected);
}

TEST(CopyControl, StatusZeroInvalidFlagsAndUnnamedCodes) {
  psmux::CopyControl zero;
  zero.byte24 = 0xF0;  // valid, but CCI 0 and APS 0 log nothing
  Engine a;
  a.scan(a.write("F.EVO", copyControlTitle(zero)));
  EXPECT_TRUE(a.host.lines.empty());

  psmux::CopyControl invalid;
  invalid.byte26 = 0xFF;  // every value set, no validity flag
  Engine b;
  b.scan(b.write("F.EVO", copyControlTitle(invalid)));
  EXPECT_TRUE(b.host.lines.empty());

  psmux::CopyControl unnamed;
  unnamed.byte24 = 0xC0;
  unnamed.byte26 = (1 << 5) | (4 << 2);
  Engine c;
  c.scan(c.write("F.EVO", copyControlTitle(unnamed)));
  EXPECT_EQ(c.host.lines, (std::vector<std::string>{"[b][/b]", "[b][/b]"}));
}

}  // namespace
}  // namespace vantrel::testing
