// ffprobe, which none of us wrote, reads a rebuilt title made from streams
// that ffmpeg encoded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include "common/path_rules.h"
#include "drivers/operations.h"
#include "tests/support/dsi_walker.h"
#include "tests/support/harness.h"
#include "tests/support/test_disc.h"
#include "tools/make_sample/vc1_stream.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;

// ffprobe's "codec_name=...|..." lines of each stream, sorted.
std::set<std::string> probeStreams(const std::string& path) {
  std::string out;
  EXPECT_EQ(
      runCommand("ffprobe -v error -show_entries stream=codec_name,channels,id -of compact=p=0 '" +
                     path + "'",
                 &out),
      0);
  std::set<std::string> streams;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    while (!line.empty() && line.back() == '|') line.pop_back();  // empty side data
    if (!line.empty()) streams.insert(line);
  }
  return streams;
}

TEST(RebuildWithFfprobe, TheRebuiltTitleHoldsTheKeptStreamsWithTheirCodecs) {
  if (!haveTool("ffmpeg") || !haveTool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is missing";
  RebuildHarness bench;
  const std::string dir = bench.dir.path();
  const std::string lavfi = "ffmpeg -v error -y -f lavfi -i ";
  ASSERT_EQ(runCommand(lavfi + "testsrc=size=320x240:rate=25 -t 1 -c:v mpeg2video -f mpeg2video '" +
                       dir + "/v.m2v'"),
            0);
  ASSERT_EQ(runCommand(lavfi + "sine=frequency=440 -t 1 -ar 48000 -ac 2 -c:a ac3 -f ac3 '" + dir +
                       "/stereo.ac3'"),
            0);
  ASSERT_EQ(runCommand(lavfi + "sine=frequency=660 -t 1 -ar 48000 -ac 1 -c:a ac3 -f ac3 '" + dir +
                       "/mono.ac3'"),
            0);

  psmux::Navigation nav;
  nav.audioBound = 2;
  nav.audioSync = {1, 1};
  const Bytes title = muxTitle(
      {{"", readFileBytes(dir + "/v.m2v"), 0xE0, {}, 90000, {}},
       {"", readFileBytes(dir + "/stereo.ac3"), 0xBD, psmux::audioSubstreamHeader(0x80), 90000, {}},
       {"", readFileBytes(dir + "/mono.ac3"), 0xBD, psmux::audioSubstreamHeader(0x81), 90000, {}}},
      nav);
  const std::string source = bench.dir.write("HVDVD_TS/TITLE.EVO", title);
  ASSERT_THAT(probeStreams(source),
              ElementsAre("codec_name=ac3|channels=1|id=0x81", "codec_name=ac3|channels=2|id=0x80",
                          "codec_name=mpeg2video|id=0x1e0"));

  bench.scanned(source, {0xE0, 0x80, 0x81});
  bench.ws.boxes.audio[0].ticked = false;  // the stereo stream goes; the mono one becomes 80
  rebuildTitle(bench.ws);
  EXPECT_THAT(probeStreams(bench.dir.file("TITLE.rebuilt.EVO")),
              ElementsAre("codec_name=ac3|channels=1|id=0x80", "codec_name=mpeg2video|id=0x1e0"));
}

// Each video codec through a rebuild: the stream in slot 1 is renumbered to
// slot 0 (E1 to E0, E3 to E2, extension 56 to 55), ffprobe finds it there
// with its codec, and a demux of the rebuilt title gives the source stream.
TEST(RebuildWithFfprobe, EveryVideoCodecIsKeptRenumberedAndWhole) {
  if (!haveTool("ffmpeg") || !haveTool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is missing";
  TempDir encoded;
  const std::string picture = "-f lavfi -i testsrc=size=320x240:rate=25 -t 0.5 -pix_fmt yuv420p ";
  Bytes vc1;
  for (const psmux::AccessUnit& unit : sample::vc1Units(2, 90000, 7)) psmux::append(vc1, unit.data);
  struct Case {
    Bytes video;
    uint8_t streamId;
    std::optional<uint8_t> extension;
    std::string probed;  // ffprobe's line of the rebuilt stream
    std::string output;  // the demuxed stream
  };
  const std::vector<Case> cases = {
      {ffmpegEncode(encoded, "v.m2v", picture + "-c:v mpeg2video -f mpeg2video"),
       0xE1,
       {},
       "codec_name=mpeg2video|id=0x1e0",
       "MPEG-2.stream.0.mpv"},
      {ffmpegEncode(encoded, "v.264", picture + "-c:v libx264 -x264-params aud=1 -f h264"),
       0xE3,
       {},
       "codec_name=h264|id=0x1e2",
       "H.264.stream.0.mpv"},
      {vc1, 0xFD, 0x56, "codec_name=vc1|id=0xfd55", "VC-1.stream.0.mpv"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.probed);
    RebuildHarness bench;
    psmux::Navigation nav;
    nav.videoBound = 1;
    const Bytes title = muxTitle({{"", c.video, c.streamId, {}, 90000, c.extension}}, nav);
    bench.choose(bench.dir.write("HVDVD_TS/V.EVO", title));
    rebuildTitle(bench.ws);  // reads the source first
    const std::string rebuilt = bench.dir.file("V.rebuilt.EVO");
    EXPECT_THAT(probeStreams(rebuilt), ElementsAre(c.probed));
    bench.choose(rebuilt);
    bench.readEvo();
    bench.demux();
    EXPECT_EQ(readFileBytes(bench.dir.file("V.rebuilt." + c.output)), c.video);
  }
}

std::string hexId(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", id);
  return text;
}

// A disc-shaped feature (two files, H.264, E-AC-3, TrueHD, DTS, AC-3, LPCM,
// subpictures, ADV_PCKs) and an AC-3 stream 80 that shares audio slot 0
// with E-AC-3 C0, rebuilt keeping all, half and only the video, with and
// without ADV_PCKs, from one file and as a chain: an independent walk of
// every rebuilt title finds its navigation true, the id that lost the slot
// is gone, and ffprobe finds exactly the streams kept.
TEST(RebuildWithFfprobe, RebuiltDiscTitlesHaveTrueNavigationAndOnlyTheKeptStreams) {
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  for (bool vc1 : {false, true}) {
    SCOPED_TRACE(vc1 ? "VC-1" : "H.264");
    RebuildHarness bench;
    sample::DiscLayout layout;
    layout.titles = {sample::featureTitle()};
    layout.titles[0].streams.push_back({psmux::EsCodec::Ac3, 0x80, "Shared", "en"});
    if (vc1) layout.titles[0].streams[0] = {psmux::EsCodec::Vc1Video, 0x55};
    const sample::DiscContent disc = writeTestDisc(layout, bench.dir.file("disc"));
    bench.choose(disc.titles[0].files[0]);
    bench.readEvo();
    const ProcessingState& state = bench.ws.session.state;
    ASSERT_TRUE(state.AudioStreamId[0] == 0x80 || state.AudioStreamId[0] == 0xC0);
    const int loser = state.AudioStreamId[0] == 0x80 ? 0xC0 : 0x80;
    const Selection found = bench.ws.boxes.selection();

    enum Keep { All, Half, VideoOnly };
    for (bool chain : {true, false}) {
      for (Keep keep : {All, Half, VideoOnly}) {
        for (bool adv : {false, true}) {
          SCOPED_TRACE(std::to_string(chain) + " " + std::to_string(keep) + " " + std::to_string(adv));
          bench.ws.options.continueChain = chain;
          bench.ws.options.rebuildAdvanced = adv;
          for (StreamKind kind : kStreamKinds)
            for (size_t slot = 0; slot < found[kind].size(); ++slot)
              bench.ws.boxes[kind][slot].ticked =
                  found[kind][slot] &&
                  (kind == StreamKind::Video || keep == All || (keep == Half && slot % 2 == 0));
          rebuildTitle(bench.ws);
          ASSERT_EQ(bench.ws.errorsLogged, 0) << bench.host.text();
          const std::string rebuilt =
              bench.dir.file(chain ? "FEATURE_1_MERGED.rebuilt.EVO" : "FEATURE_1.rebuilt.EVO");
          const DsiWalk walked = walkDsi({rebuilt}, PackNumbering::WholeChain);
          EXPECT_TRUE(walked.faults.empty()) << walked.faults.front();
          EXPECT_EQ(walked.units.size(), chain ? 4u : 2u);

          const Bytes bytes = readFileBytes(rebuilt);
          std::set<std::string> ids;  // as ffprobe names them
          bool advanced = false;
          for (const WalkedPack& pack : walk(bytes)) {
            advanced = advanced || (pack.streamId == 0xBF && pack.substream == 0x80);
            if (pack.streamId == 0xE2) ids.insert("id=0x1e2");
            if (pack.streamId == 0xFD) ids.insert("id=0xfd55");
            if (pack.streamId != 0xBD) continue;
            EXPECT_NE(pack.substream, loser);
            ids.insert("id=" + hexId(pack.substream));
          }
          EXPECT_EQ(advanced, adv);
          const Selection ticked = bench.ws.boxes.selection();
          size_t kept = 0;
          for (StreamKind kind : kStreamKinds) kept += size_t(std::ranges::count(ticked[kind], true));
          if (chain) {
            EXPECT_EQ(ids.size(), kept);  // French subtitles begin in FEATURE_2
          }
          // The commentary lies in FEATURE_1 only, which Read EVO did not
          // list: it is not written, and the run says so.
          ASSERT_EQ(bench.ws.streamsNotWritten.size(), 1u) << bench.host.text();
          const MetStream& met = bench.ws.streamsNotWritten[0];
          EXPECT_EQ(met.stream.id, 0x83u);
          EXPECT_EQ(fileNamePart(met.file), "FEATURE_1.EVO");
          EXPECT_NE(bench.host.text().find("(id 83), first met in FEATURE_1.EVO"), std::string::npos);
          std::set<std::string> probed;
          for (const std::string& line : probeStreams(rebuilt)) probed.insert(line.substr(line.find("id=")));
          EXPECT_EQ(probed, ids);
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
