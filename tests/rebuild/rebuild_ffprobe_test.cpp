// ffprobe, which none of us wrote, reads a rebuilt title made from streams
// that ffmpeg encoded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "drivers/operations.h"
#include "tests/support/harness.h"
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

}  // namespace
}  // namespace vantrel::testing
