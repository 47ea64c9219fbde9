// The bundled sample title under samples/: its structure, the continuity of
// its two files, and what ffmpeg makes of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/pack_walker.h"
#include "tools/make_sample/probe_list.h"
#include "tools/make_sample/sample_title.h"
#include "tools/make_sample/tool_runner.h"

namespace vantrel::testing {
namespace {

const std::string kSamples = std::string(VANTREL_SOURCE_DIR) + "/samples";
const std::string kFeature1 = kSamples + "/HVDVD_TS/FEATURE_1.EVO";
const std::string kFeature2 = kSamples + "/HVDVD_TS/FEATURE_2.EVO";
constexpr uint64_t kStart = 0x15F90;             // 1 s
constexpr uint64_t kSplit = kStart + 216000;     // 2.4 s later
constexpr uint64_t kEnd = kStart + 432000;

struct SampleStream {
  uint32_t key;
  const char* format;  // ffmpeg's raw format for the extracted stream
  const char* codec;   // ffprobe's codec name inside the program stream
  int units;           // access units over both files
};

const std::vector<SampleStream>& sampleStreams() {
  static const std::vector<SampleStream> streams = {
      {streamKey(0xE0), "mpegvideo", "mpeg2video", 120}, {streamKey(0xE3), "h264", "h264", 144},
      {streamKey(0xBD, 0x80), "ac3", "ac3", 150},        {streamKey(0xBD, 0xC1), "eac3", "eac3", 150},
      {streamKey(0xBD, 0x8A), "dts", "dts", 450},        {streamKey(0xBD, 0xB3), "truehd", "truehd", 5760},
      {streamKey(0xBD, 0xA4), "s16be", "pcm_dvd", 0},    {streamKey(0xBD, 0x20), "", "dvd_subtitle", 4},
      {streamKey(0xBD, 0x21), "", "dvd_subtitle", 2},
  };
  return streams;
}

class SampleDisc : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    first_ = new Walk(walkProgramStream(readFileBytes(kFeature1)));
    second_ = new Walk(walkProgramStream(readFileBytes(kFeature2)));
  }
  static void TearDownTestSuite() {
    delete first_;
    delete second_;
  }
  static Walk* first_;
  static Walk* second_;
};

Walk* SampleDisc::first_ = nullptr;
Walk* SampleDisc::second_ = nullptr;

TEST_F(SampleDisc, FilesAreWellFormedPacks) {
  for (const Walk* walk : {first_, second_}) {
    ASSERT_GT(walk->packs, 100u);
    EXPECT_TRUE(walk->faults.empty()) << walk->faults.front();
    for (size_t i = 1; i < walk->scr.size(); ++i) EXPECT_GT(walk->scr[i], walk->scr[i - 1]);
  }
  EXPECT_EQ(readFileBytes(kFeature1).size(), first_->packs * 2048);
}

TEST_F(SampleDisc, HoldsEveryStreamInBothFiles) {
  std::set<uint32_t> expected;
  for (const SampleStream& stream : sampleStreams()) expected.insert(stream.key);
  for (const Walk* walk : {first_, second_}) {
    std::set<uint32_t> found;
    for (const auto& [key, payload] : walk->payload) found.insert(key);
    EXPECT_EQ(found, expected);
  }
}

TEST_F(SampleDisc, NavigationPacksCarryTheTitleTimes) {
  const std::pair<const Walk*, std::pair<uint16_t, std::pair<uint32_t, uint32_t>>> files[] = {
      {first_, {1, {kStart, kSplit}}}, {second_, {2, {kSplit, kEnd}}}};
  for (const auto& [walk, expected] : files) {
    ASSERT_FALSE(walk->navigation.empty());
    EXPECT_EQ(walk->navigation.front().pack, 0u);
    EXPECT_EQ(walk->navigation.size(), 6u);  // groups of ten pictures at 25 per second
    for (const auto& nav : walk->navigation) {
      EXPECT_TRUE(nav.dsiAt1287);
      EXPECT_EQ(nav.vobNumber, expected.first);
      EXPECT_EQ(nav.firstVideoPtm, expected.second.first);
      EXPECT_EQ(nav.lastVideoPtm, expected.second.second);
      EXPECT_EQ(nav.videoBound, 2);
      EXPECT_EQ(nav.audioBound, 5);
      for (size_t i = 0; i < 8; ++i) EXPECT_EQ(nav.audioSync[i] != 0, i < 5) << i;
      for (size_t i = 0; i < 32; ++i) EXPECT_EQ(nav.subpictureSync[i] != 0, i < 2) << i;
    }
  }
}

TEST_F(SampleDisc, CopyControlFlagsShowAndNothingIsScrambled) {
  for (const Walk* walk : {first_, second_}) {
    ASSERT_EQ(walk->copyControl.size(), 1u);
    const Bytes& cc = walk->copyControl[0];
    ASSERT_GE(cc.size(), 27u);
    EXPECT_EQ(cc[12] & 0xC0, 0);
    EXPECT_EQ(cc[24], 0xE0);  // copy control, analog protection and ICT valid
    EXPECT_EQ(cc[26], 0x86);  // copy one generation, APS type 1, ICT on
    EXPECT_EQ(walk->advancedContentPacks, 1u);
  }
}

std::pair<uint64_t, uint64_t> ptsRange(const Walk& walk, uint32_t key) {
  uint64_t low = UINT64_MAX, high = 0;
  for (size_t i : walk.packetsOf(key)) {
    if (!walk.packets[i].pts) continue;
    low = std::min(low, *walk.packets[i].pts);
    high = std::max(high, *walk.packets[i].pts);
  }
  return {low, high};
}

TEST_F(SampleDisc, SecondFileContinuesTheFirst) {
  EXPECT_GT(second_->scr.front(), first_->scr.back());
  for (const SampleStream& stream : sampleStreams()) {
    SCOPED_TRACE(stream.codec);
    auto [firstLow, firstHigh] = ptsRange(*first_, stream.key);
    auto [secondLow, secondHigh] = ptsRange(*second_, stream.key);
    EXPECT_LT(firstHigh, secondLow);
    if (std::string(stream.codec) != "dvd_subtitle") {
      // Every audio and video stream starts at the title start and resumes
      // exactly at the split.
      EXPECT_EQ(firstLow, kStart);
      EXPECT_EQ(secondLow, kSplit);
      EXPECT_LT(secondHigh, kEnd);
    }
  }
}

TEST_F(SampleDisc, FfprobeListsEveryStreamWithItsCodec) {
  if (!haveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  for (const std::string& file : {kFeature1, kFeature2}) {
    std::string out = sample::runTool("ffprobe", {"-v", "error", "-show_entries", "stream=id,codec_name", "-of",
                                                  "compact", file});
    std::multiset<std::string> found, expected;
    for (const auto& record : sample::parseCompactSection(out, "stream")) {
      found.insert(record.at("id") + " " + record.at("codec_name"));
    }
    for (const SampleStream& stream : sampleStreams()) {
      uint32_t id = stream.key >> 8 == 0xBD ? (stream.key & 0xFF) : (stream.key >> 8);
      char text[16];
      std::snprintf(text, sizeof text, "0x%x", id + (stream.key >> 8 == 0xBD ? 0 : 0x100));
      expected.insert(std::string(text) + " " + stream.codec);
    }
    EXPECT_EQ(found, expected) << file;
  }
}

// Each stream, taken out of both files by the walk and joined, decodes
// without a single complaint and holds every access unit.
TEST_F(SampleDisc, ExtractedStreamsDecodeCleanly) {
  if (!haveTool("ffmpeg") || !haveTool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  for (const SampleStream& stream : sampleStreams()) {
    if (!*stream.format) continue;
    SCOPED_TRACE(stream.codec);
    Bytes joined = first_->payload.at(stream.key);
    const Bytes& more = second_->payload.at(stream.key);
    joined.insert(joined.end(), more.begin(), more.end());
    const std::string path = dir.write(std::string("stream.") + stream.codec, joined);
    std::vector<std::string> input = {"-f", stream.format};
    if (std::string(stream.format) == "s16be") {
      input.insert(input.end(), {"-ar", "48000", "-ac", "2"});
      EXPECT_EQ(joined.size(), 48000u * 4 * 48 / 10);  // 4.8 s of 16-bit stereo
    }
    std::string command = "ffmpeg -nostdin -v error";
    for (const auto& argument : input) command += " " + sample::shellQuote(argument);
    command += " -i " + sample::shellQuote(path) + " -f null - 2>&1";
    std::string complaints;
    EXPECT_EQ(runCommand(command, &complaints), 0);
    EXPECT_EQ(complaints, "");
    if (stream.units > 0) {
      std::string probe = "ffprobe -v error -f " + std::string(stream.format) + " -count_packets " +
                          "-show_entries stream=nb_read_packets -of csv=p=0 " + sample::shellQuote(path);
      std::string count;
      runCommand(probe, &count);
      EXPECT_EQ(std::stoi(count), stream.units);
    }
  }
}

TEST_F(SampleDisc, SubpicturesDecodeWithTheirDurations) {
  if (!haveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  std::map<std::string, int> shown;
  for (const std::string& file : {kFeature1, kFeature2}) {
    std::string out = sample::runTool("ffprobe", {"-v", "error", "-select_streams", "s", "-show_frames",
                                                  "-show_entries", "subtitle=end_display_time,num_rects", "-of",
                                                  "compact", file});
    for (const auto& record : sample::parseCompactSection(out, "subtitle")) {
      EXPECT_EQ(record.at("num_rects"), "1");
      ++shown[record.at("end_display_time")];
    }
  }
  // 1 s, 0.8 s and 1.5 s, in units of 1,024 ticks, as milliseconds.
  std::map<std::string, int> expected = {{"1001", 2}, {"796", 2}, {"1501", 2}};
  EXPECT_EQ(shown, expected);
}

TEST_F(SampleDisc, FfmpegCopiesTheSameBytesAsTheWalk) {
  if (!haveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  const std::pair<const char*, size_t> copies[] = {{"0:v:0", 0}, {"0:v:1", 1}, {"0:a:0", 2},
                                                   {"0:a:1", 3}, {"0:a:2", 4}, {"0:a:3", 5}};
  for (const auto& [map, index] : copies) {
    const SampleStream& stream = sampleStreams()[index];
    SCOPED_TRACE(stream.codec);
    const std::string out = dir.file(std::string("copy.") + stream.codec);
    const char* muxer = std::string(stream.format) == "mpegvideo" ? "mpeg2video" : stream.format;
    sample::runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", kFeature1, "-map", map, "-c", "copy", "-f",
                               muxer, out});
    EXPECT_TRUE(readFileBytes(out) == first_->payload.at(stream.key));
  }
}

TEST(SampleDiscFiles, TitleSetAndPlaylistDescribeTheTitle) {
  Bytes vti = readFileBytes(kSamples + "/HVDVD_TS/HVA00001.VTI");
  ASSERT_GE(vti.size(), 4096u);
  EXPECT_EQ(std::string(vti.begin(), vti.begin() + 12), "ADVANCED-VTS");
  EXPECT_EQ(vti[37], 2);             // advanced title set
  EXPECT_EQ(vti[2048 + 16 + 15], 5);  // five audio streams in the one entry
  const std::string xpl = readFileText(kSamples + "/ADV_OBJ/VPLST000.XPL");
  EXPECT_NE(xpl.find("FEATURE_1.MAP"), std::string::npos);
  EXPECT_NE(xpl.find("FEATURE_2.MAP"), std::string::npos);
  EXPECT_EQ(std::count(xpl.begin(), xpl.end(), '\n'), std::count(xpl.begin(), xpl.end(), '\r'));
}

// The generator, run with the ffmpeg it was made with, writes the committed
// files byte for byte.
TEST(SampleDiscFiles, GeneratorReproducesTheCommittedFiles) {
  if (!haveTool("ffmpeg") || !haveTool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string readme = readFileText(std::string(VANTREL_SOURCE_DIR) + "/tools/make_sample/README.md");
  const std::string version = sample::toolVersion("ffmpeg");
  const std::string recorded = version.substr(0, version.find(" Copyright"));
  if (readme.find(recorded + "\n") == std::string::npos) {
    GTEST_SKIP() << "the sample was made with another ffmpeg than " << recorded;
  }
  TempDir dir;
  sample::SampleTitle title = sample::makeSampleTitle({}, dir.path());
  sample::writeSampleDisc(title, dir.file("out"));
  for (const char* name : {"HVDVD_TS/FEATURE_1.EVO", "HVDVD_TS/FEATURE_2.EVO", "HVDVD_TS/HVA00001.VTI",
                           "ADV_OBJ/VPLST000.XPL"}) {
    EXPECT_TRUE(readFileBytes(dir.file(std::string("out/") + name)) == readFileBytes(kSamples + "/" + name))
        << name;
  }
}

}  // namespace
}  // namespace vantrel::testing
