// ffprobe, which none of us wrote, reads a rebuilt title made from streams
// that ffmpeg encoded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "drivers/operations.h"
#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;

// Cuts an elementary stream into packs of one stream; the first carries a PTS.
std::vector<Bytes> packsOf(uint8_t streamId, int substream, const Bytes& stream) {
  std::vector<Bytes> packs;
  for (size_t at = 0; at < stream.size();) {
    psmux::Pes pes;
    pes.streamId = streamId;
    if (at == 0) pes.pts = 90000;
    if (substream >= 0) pes.payload = psmux::audioSubstreamHeader(uint8_t(substream));
    size_t header = pes.payload.size();
    pes.payload.insert(pes.payload.end(), stream.begin() + long(at), stream.end());
    size_t taken = 0;
    packs.push_back(psmux::packWithPes(0, pes, &taken));
    at += taken - header;
  }
  return packs;
}

// ffprobe's "codec_name=...|..." lines of each stream, sorted.
std::set<std::string> probeStreams(const std::string& path) {
  std::string out;
  EXPECT_EQ(runCommand("ffprobe -v error -show_entries stream=codec_name,channels,id -of compact=p=0 '" +
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

  // Navigation pack, then the three streams interleaved pack by pack.
  std::vector<std::vector<Bytes>> streams = {
      packsOf(0xE0, -1, readFileBytes(dir + "/v.m2v")),
      packsOf(0xBD, 0x80, readFileBytes(dir + "/stereo.ac3")),
      packsOf(0xBD, 0x81, readFileBytes(dir + "/mono.ac3"))};
  psmux::Navigation nav;
  nav.audioBound = 2;
  nav.audioSync = {1, 1};
  Title title;
  title.nav(nav);
  for (size_t i = 0; i < 64; ++i)
    for (const auto& packs : streams)
      if (i < packs.size()) title.add(packs[i]);
  for (const auto& packs : streams) ASSERT_LE(packs.size(), 64u);

  const std::string source = bench.dir.write("HVDVD_TS/TITLE.EVO", title.bytes());
  ASSERT_THAT(probeStreams(source),
              ElementsAre("codec_name=ac3|channels=1|id=0x81", "codec_name=ac3|channels=2|id=0x80",
                          "codec_name=mpeg2video|id=0x1e0"));

  bench.scanned(source, {0xE0, 0x80, 0x81});
  bench.ws.boxes.audio[0].ticked = false;  // the stereo stream goes; the mono one becomes 80
  rebuildTitle(bench.ws);
  EXPECT_THAT(probeStreams(bench.dir.file("TITLE.rebuilt.EVO")),
              ElementsAre("codec_name=ac3|channels=1|id=0x80", "codec_name=mpeg2video|id=0x1e0"));
}

}  // namespace
}  // namespace vantrel::testing
