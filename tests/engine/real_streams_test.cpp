// Streams nobody here wrote: VOBs made by Debian's ffmpeg and dvdauthor at
// test time, and DVD menu VOBs authored by others.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "common/text_format.h"
#include "tests/support/harness.h"
#include "tests/support/test_disc.h"

namespace vantrel::testing {
namespace {

std::string tool(const std::string& command) {
  std::string out;
  int status = runCommand(command, &out);
  if (status != 0) ADD_FAILURE() << command << " failed with " << status;
  return out;
}

// Stream ids of the audio and video streams ffprobe lists.
std::set<int> ffprobeStreamIds(const std::string& path) {
  std::set<int> ids;
  std::istringstream lines(
      tool("ffprobe -v error -show_entries stream=codec_type,id -of csv=p=0 '" + path + "'"));
  for (std::string line; std::getline(lines, line);) {
    auto comma = line.find(',');
    if (comma == std::string::npos) continue;
    std::string type = line.substr(0, comma);
    if (type != "video" && type != "audio") continue;
    ids.insert(int(std::stoul(line.substr(comma + 1), nullptr, 16) & 0xFF));
  }
  return ids;
}

struct FfmpegDvd : ::testing::Test {
  void SetUp() override {
    if (!haveTool("ffmpeg") || !haveTool("ffprobe")) GTEST_SKIP() << "ffmpeg/ffprobe not installed";
  }
  TempDir dir;
};

// ffmpeg numbers each audio codec from slot 0 (AC-3 80, LPCM A0, DTS 88), so
// its LPCM stream meets the first AC-3 stream in slot 0: the slot stays with
// the id met first and the other id is named in a warning.
TEST_F(FfmpegDvd, ScanFindsWhatFfprobeListsAndDemuxMatchesItsStreamCopy) {
  const std::string vob = dir.file("pal.vob");
  tool("ffmpeg -y -loglevel error -f lavfi -i testsrc=size=720x576:rate=25:d=3 "
       "-f lavfi -i sine=f=440:d=3:sample_rate=48000 -f lavfi -i sine=f=880:d=3:sample_rate=48000 "
       "-map 0 -map 1 -map 2 -map 1 -target pal-dvd -c:a:0 ac3 -b:a:0 192k "
       "-c:a:1 ac3 -ac:a:1 1 -b:a:1 96k -c:a:2 pcm_s16be '" + vob + "'");
  const std::set<int> listed = ffprobeStreamIds(vob);
  ASSERT_EQ(listed, (std::set<int>{0xE0, 0x80, 0x81, 0xA0}));

  Engine e;
  e.scan(vob);
  const ProcessingState& st = e.session.state;
  std::set<int> catalogued;
  for (int32_t id : st.VideoStreamId)
    if (id >= 0) catalogued.insert(id);
  for (int32_t id : st.AudioStreamId)
    if (id >= 0) catalogued.insert(id);
  EXPECT_EQ(st.VideoStreamId[0], 0xE0);
  EXPECT_EQ(st.AudioStreamId[1], 0x81);
  ASSERT_TRUE(st.AudioStreamId[0] == 0x80 || st.AudioStreamId[0] == 0xA0);
  const int other = st.AudioStreamId[0] == 0x80 ? 0xA0 : 0x80;
  catalogued.insert(other);
  EXPECT_EQ(catalogued, listed);
  EXPECT_TRUE(e.logged("[re]Audio substream " + hex2(uint32_t(other)) + " shares slot 0 with " +
                       hex2(uint32_t(st.AudioStreamId[0])) + "; its packets are skipped.[/re]"))
      << e.host.text();

  const bool ac3InSlot0 = st.AudioStreamId[0] == 0x80;
  e.demuxAll(vob);
  tool("ffmpeg -y -loglevel error -i '" + vob + "' -map 0:v:0 -c copy -f mpeg2video '" +
       dir.file("v.m2v") + "' -map 0:a:0 -c copy -f ac3 '" + dir.file("a0.ac3") +
       "' -map 0:a:1 -c copy -f ac3 '" + dir.file("a1.ac3") + "'");
  const Bytes video = readFileBytes(e.out("v0"));
  ASSERT_GT(video.size(), 100000u);
  EXPECT_TRUE(video == readFileBytes(dir.file("v.m2v")));
  EXPECT_TRUE(readFileBytes(e.out("a1")) == readFileBytes(dir.file("a1.ac3")));
  if (ac3InSlot0) {
    EXPECT_TRUE(readFileBytes(e.out("a0")) == readFileBytes(dir.file("a0.ac3")));
  }
  // The frames counted in the demux pass are the pictures ffprobe counts.
  const std::string frames =
      tool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
           "stream=nb_read_frames -of csv=p=0 '" + vob + "'");
  EXPECT_EQ(st.FrameCount[0], std::stoi(frames));
}

// Pictures counted in any chunk size: what ffprobe decodes from ffmpeg's
// MPEG-2, and one per access unit delimiter of the disc builder's H.264
// (of one angle in an angle block, wherever the chunks cut its DSIs).
TEST_F(FfmpegDvd, CountedFramesMatchFfprobeAndTheDelimitersInEveryChunkSize) {
  const size_t sizes[] = {1, 3, 7, 509, 2048, 2051, 65536};
  auto counted = [](const Bytes& title, size_t size, int slot) {
    RecordingHost host;
    Session session(host);
    session.options.details = false;
    scanInChunks(title, size, session);
    return session.state.FrameCount[size_t(slot)];
  };
  for (const char* duration : {"1", "1.2", "3.84", "0.6"}) {
    const std::string vob = dir.file(std::string("d") + duration + ".vob");
    tool("ffmpeg -y -loglevel error -f lavfi -i testsrc=size=352x288:rate=25:d=" + std::string(duration) +
         " -target pal-dvd -an '" + vob + "'");
    const int frames = std::stoi(tool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                      "stream=nb_read_frames -of csv=p=0 '" + vob + "'"));
    const Bytes title = readFileBytes(vob);
    for (size_t size : sizes) EXPECT_EQ(counted(title, size, 0), frames) << duration << " s, chunks of " << size;
  }
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  sample::DiscTitle h264;
  h264.streams = {sample::DiscStream(psmux::EsCodec::H264Video, 0xE2)};
  h264.duration = 2;
  sample::DiscLayout layout;
  layout.titles = {h264, sample::angleTitle(3)};
  const sample::DiscContent disc = writeTestDisc(layout, dir.file("disc"));
  // A plain title, and an angle block of which the first angle counts.
  for (int angle : {0, 1}) {
    const sample::DiscTitleContent& content = disc.titles[size_t(angle)];
    const Bytes es = content.bytesOf(psmux::EsCodec::H264Video, 0xE2, angle);
    int delimiters = 0;
    for (size_t at = 0; at + 4 <= es.size(); ++at)
      delimiters += es[at] == 0 && es[at + 1] == 0 && es[at + 2] == 1 && es[at + 3] == 0x09;
    ASSERT_GT(delimiters, 40);
    const Bytes title = readFileBytes(content.files[0]);
    for (size_t size : sizes) EXPECT_EQ(counted(title, size, 0), delimiters) << angle << ", chunks of " << size;
  }
}

TEST_F(FfmpegDvd, DvdauthorNavigationPacksGiveTheVobNumberAndPresentationTimes) {
  if (!haveTool("dvdauthor")) GTEST_SKIP() << "dvdauthor not installed";
  const std::string mpg = dir.file("src.mpg");
  tool("ffmpeg -y -loglevel error -f lavfi -i testsrc=size=720x576:rate=25:d=3 "
       "-f lavfi -i sine=f=440:d=3:sample_rate=48000 -target pal-dvd '" + mpg + "'");
  tool("VIDEO_FORMAT=PAL dvdauthor -o '" + dir.file("dvd") + "' -t '" + mpg + "' 2>/dev/null");
  const std::string vob = dir.file("dvd/VIDEO_TS/VTS_01_1.VOB");
  ASSERT_TRUE(fileExists(vob));

  std::istringstream ptsList(tool("ffprobe -v error -select_streams v -show_entries packet=pts "
                                  "-of csv=p=0 '" + vob + "'"));
  std::vector<long> pts;
  for (std::string line; std::getline(ptsList, line);)
    if (!line.empty() && line != "N/A") pts.push_back(std::stol(line));
  ASSERT_FALSE(pts.empty());
  const long first = *std::min_element(pts.begin(), pts.end());
  // dvdauthor ends the VOB after the last frame's display time, a little past
  // its PTS; read the end time from the DSI of the first navigation pack
  // (DSI at byte 0x407 of a DVD navigation pack, VOB_V_E_PTM at +48).
  const Bytes bytes = readFileBytes(vob);
  ASSERT_GT(bytes.size(), 0x407u + 52);
  const long last = long(bytes[0x407 + 48]) << 24 | long(bytes[0x407 + 49]) << 16 |
                    long(bytes[0x407 + 50]) << 8 | long(bytes[0x407 + 51]);
  EXPECT_GE(last, *std::max_element(pts.begin(), pts.end()) + 3600);

  Engine e;
  e.scan(vob);
  EXPECT_TRUE(e.logged("PTM of first video frame = [re]" + hex8(uint32_t(first)) + "[/re]"))
      << e.host.text();
  EXPECT_TRUE(e.logged("PTM of last video frame = " + hex8(uint32_t(last))));
  EXPECT_EQ(e.countLogged("VOB number 1 contains [b]1[/b] video and [b]1[/b] audio stream" "s."), 1);
  EXPECT_NEAR(e.session.state.TitleDuration, double(last - first) / 90000, 1e-9);
}

TEST(RealDvdMenus, ScanIntoVideoAndSubpictureWithTheFirstVobsNavigation) {
  const std::string real = realSamplesDir();
  if (real.empty()) GTEST_SKIP() << "no real sample files beside the checkout";
  for (const char* name : {"DVD_Sample_01_VIDEO_TS.VOB", "DVD_Sample_02_VIDEO_TS.VOB",
                           "DVD_Sample_02_VTS_01_0.VOB"}) {
    SCOPED_TRACE(name);
    Engine e;
    e.session.options.details = true;
    e.scan(real + "/vob/" + name);
    const ProcessingState& st = e.session.state;
    EXPECT_EQ(st.VideoStreamId[0], 0xE0);
    EXPECT_EQ(st.VideoStreamId[1], -1);
    EXPECT_EQ(st.SubpictureStreamId[0], 0x20);
    for (int32_t id : st.AudioStreamId) EXPECT_EQ(id, -1);
    EXPECT_EQ(e.countLogged("[b]MPEG-2[/b] video stream 0 found!"), 1);
    EXPECT_EQ(e.countLogged("[b]Subpicture[/b] stream 0 found!"), 1);
    const std::string text = e.host.text();
    EXPECT_NE(text.find("VOB number 1 contains [b]"), std::string::npos) << text;
    EXPECT_EQ(text.find("VOB number 2"), std::string::npos);
    EXPECT_NE(text.find("PTM of first video frame = [re]"), std::string::npos);
    EXPECT_EQ(text.find("[re]Cannot"), std::string::npos);
  }
}

}  // namespace
}  // namespace vantrel::testing
