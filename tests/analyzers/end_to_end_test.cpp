// Real elementary streams, wrapped in program-stream packs and scanned by
// the engine with "Detailed info": the analyzers' lines appear under their
// streams, the frame rates reach the state, and the engine's own walk is
// the same as without them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/file_io.h"
#include "tests/support/recording_host.h"
#include "engine/demux.h"
#include "tests/support/temp_dir.h"
#include "tests/support/title_builder.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel {
namespace {

using psmux::Bytes;

class AnalyzersInTheEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::haveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed to make real streams";
  }

  Bytes encode(const std::string& name, const std::string& arguments) {
    return testing::ffmpegEncode(dir_, name, arguments);
  }

  struct Scan {
    std::vector<std::string> lines;
    std::array<int32_t, kVideoSlots> video{};
    std::array<int32_t, kAudioSlots> audio{};
    std::array<int32_t, kVideoSlots> frames{};
    std::array<double, kVideoSlots> rates{};
  };

  Scan scan(const std::string& path, bool details) {
    RecordingHost host;
    Session session(host);
    session.options.details = details;
    session.options.fastCheck = false;
    session.options.fileKind = fileKindOf(path);
    demux(session, ScanMode, *InputFile::open(path));
    return {host.lines, session.state.VideoStreamId, session.state.AudioStreamId,
            session.state.FrameCount, session.state.VideoFrameRate};
  }

  testing::TempDir dir_;
};

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(AnalyzersInTheEngine, DetailedScanOfAMuxedTitle) {
  Bytes mpeg2 = encode("v.m2v",
                       "-f lavfi -i testsrc=size=720x576:rate=25 -t 0.4 -c:v mpeg2video "
                       "-aspect 16:9 -f mpeg2video");
  Bytes h264 = encode("v.264",
                      "-f lavfi -i testsrc=size=1920x1080:rate=24000/1001 -t 0.25 "
                      "-pix_fmt yuv420p -c:v libx264 -preset veryfast -profile:v high "
                      "-x264-params aud=1 -f h264");
  Bytes ac3 =
      encode("a.ac3", "-f lavfi -i sine=f=440:r=48000:d=0.3 -ac 2 -c:a ac3 -b:a 192k -f ac3");
  Bytes dts = encode("a.dts", "-f lavfi -i sine=f=440:r=48000:d=0.3 -ac 2 -c:a dca -f dts");
  Bytes thd = encode("a.thd", "-f lavfi -i sine=f=440:r=48000:d=0.3 -ac 2 -c:a truehd -f truehd");

  Bytes title = testing::muxTitle({
      {"", mpeg2, 0xE0, {}, 90000, {}},
      {"", h264, 0xE3, {}, 90000, {}},
      {"", ac3, 0xBD, psmux::audioSubstreamHeader(0x81), 90900, {}},
      {"", dts, 0xBD, psmux::audioSubstreamHeader(0x8A), 91800, {}},
      {"", thd, 0xBD, psmux::trueHdSubstreamHeader(0xB3), 92700, {}},
  });
  std::string path = dir_.write("FEATURE_1.EVO", title);

  Scan detailed = scan(path, true);
  const auto& lines = detailed.lines;
  auto after = [&](const std::string& found, const std::string& line) {
    auto f = std::find(lines.begin(), lines.end(), found);
    auto l = std::find(lines.begin(), lines.end(), line);
    return f != lines.end() && l != lines.end() && f < l;
  };
  EXPECT_TRUE(after("[b]MPEG-2[/b] video stream 0 found!", "   size = [bl]720[/bl]x[bl]576[/bl]"));
  EXPECT_TRUE(contains(lines, "   Aspect ratio = [bl]16:9[/bl]"));
  EXPECT_TRUE(contains(lines, "   Frame rate = [bl]25[/bl] fps"));
  EXPECT_TRUE(after("[b]H.264 (AVC)[/b] video stream 1 found!", "   Profile = High"));
  EXPECT_TRUE(contains(lines, "   Size = [bl]1920[/bl]x[bl]1080[/bl]"));
  EXPECT_TRUE(
      after("[b]Dolby Digital[/b] audio stream 1 found!", "   Stream 1 is [b]Dolby Digital[/b]"));
  EXPECT_TRUE(contains(lines, "   Transmission bitrate = [bl]192[/bl] kbit/s"));
  EXPECT_TRUE(after("[b]DTS HD (DTS)[/b] audio stream 2 found!",
                    "   Channel arrangement = [bl]L + R (stereo)[/bl]"));
  EXPECT_TRUE(after("[b]Dolby TrueHD[/b] audio stream 3 found!",
                    "   [b]TrueHD[/b] stream (up to 8 channels)"));
  EXPECT_TRUE(contains(lines, "      channel arrangement = [bl]Main (Left,Right)[/bl]")) << [&] {
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    return all;
  }();
  EXPECT_EQ(detailed.rates[0], 25.0);
  EXPECT_EQ(detailed.rates[1], 24000.0 / 1001.0);

  // Analyzers read on their own: the engine finds the same streams, counts
  // the same pictures and logs the same catalogue lines without them.
  Scan plain = scan(path, false);
  EXPECT_EQ(plain.video, detailed.video);
  EXPECT_EQ(plain.audio, detailed.audio);
  EXPECT_EQ(plain.frames, detailed.frames);
  EXPECT_EQ(detailed.frames[0], 10);  // 0.4 s at 25 fps
  std::vector<std::string> foundLines;
  for (const auto& line : lines)
    if (line.ends_with(" found!")) foundLines.push_back(line);
  EXPECT_EQ(foundLines, plain.lines);
}

TEST(RealDvdVideo, MenuVobsAnalyzedLikeFfprobeSeesThem) {
  // DVD menus authored by third-party software: MPEG-2 video whose first
  // packet carries the sequence header.
  std::string folder = testing::realSamplesDir();
  if (folder.empty()) GTEST_SKIP() << "no real sample files beside the checkout";
  for (const char* name : {"DVD_Sample_01_VIDEO_TS.VOB", "DVD_Sample_02_VTS_01_0.VOB"}) {
    SCOPED_TRACE(name);
    std::string path = folder + "/vob/" + name;
    RecordingHost host;
    Session session(host);
    session.options.fastCheck = false;
    session.options.fileKind = fileKindOf(path);
    demux(session, ScanMode, *InputFile::open(path));
    EXPECT_TRUE(contains(host.lines, "   Sequence Header found")) << host.text();
    EXPECT_TRUE(contains(host.lines, "   size = [bl]720[/bl]x[bl]576[/bl]"));
    EXPECT_TRUE(contains(host.lines, "   Aspect ratio = [bl]4:3[/bl]"));
    EXPECT_TRUE(contains(host.lines, "   Frame rate = [bl]25[/bl] fps"));
    EXPECT_EQ(session.state.VideoFrameRate[0], 25.0);
    if (!testing::haveTool("ffprobe")) continue;
    std::string output;
    testing::runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries "
        "stream=width,height,display_aspect_ratio,r_frame_rate -of csv=p=0 \"" +
            path + "\"",
        &output);
    EXPECT_EQ(output.substr(0, 16), "720,576,4:3,25/1");
  }
}

}  // namespace
}  // namespace vantrel
