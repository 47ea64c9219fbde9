// Disc-shaped titles: navigation packs as discs lay them out, ADV_PCKs,
// interleaved angles, and the disc folder around them, checked with the DSI
// walker and with ffmpeg as the oracle.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/support/dsi_walker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_disc.h"
#include "tests/tools/synthetic_streams.h"
#include "tools/make_sample/probe_list.h"
#include "tools/make_sample/tool_runner.h"
#include "tools/make_sample/vc1_stream.h"
#include "tools/psmux/picture_type.h"

namespace vantrel::psmux {
namespace {

using testing::DsiWalk;
using testing::PackNumbering;
using testing::streamKey;

const Bytes kAdvancedData = [] {
  Bytes data(4500);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 251);
  return data;
}();

// The synthetic title with disc navigation and an ADV_PCK resource; in its
// first video stream the pictures sent ahead of their time (I and P) are the
// reference pictures.
synthetic::Muxed discTitle() {
  std::vector<synthetic::Input> inputs = synthetic::fullTitle();
  for (AccessUnit& unit : inputs[0].units) unit.reference = unit.dts.has_value();
  MuxOptions options;
  options.discNavigation = true;
  options.advancedStreamPackets = advancedStreamPackets(3, "menu.aca", kAdvancedData);
  return synthetic::mux(inputs, options);
}

TEST(DiscNavigation, UnitsNameTheirPacksAndTheirReferencePictures) {
  synthetic::Muxed muxed = discTitle();
  DsiWalk walk = testing::walkDsiBytes({muxed.bytes}, PackNumbering::PerFile);
  ASSERT_TRUE(walk.faults.empty()) << walk.faults.front();
  ASSERT_EQ(walk.units.size(), 4u);

  // The pack where each reference picture of E0 ends, from the packets' payload offsets.
  std::vector<size_t> ends;
  size_t offset = 0;
  const std::vector<size_t> packets = muxed.walk.packetsOf(streamKey(0xE0));
  const std::vector<synthetic::Input> inputs = synthetic::fullTitle();
  for (const AccessUnit& unit : inputs[0].units) {
    offset += unit.data.size();
    if (!unit.dts) continue;
    for (size_t i : packets) {
      const auto& packet = muxed.walk.packets[i];
      if (offset > packet.payloadOffset && offset <= packet.payloadOffset + packet.payloadSize) ends.push_back(packet.pack);
    }
  }
  for (const testing::DsiUnit& unit : walk.units) {
    std::vector<uint32_t> expected;
    for (size_t end : ends) {
      if (end > unit.pack && end <= unit.pack + unit.lastPack && expected.size() < 3) expected.push_back(uint32_t(end - unit.pack));
    }
    expected.resize(3, 0);
    EXPECT_EQ(std::vector<uint32_t>(unit.referenceEnds.begin(), unit.referenceEnds.end()), expected) << unit.pack;
  }

  // The ADV_PCKs follow the first navigation pack: first, middle, last, the
  // slot in each, the file name in the first, the data whole again.
  Bytes data;
  for (size_t pack = 1; pack <= 3; ++pack) {
    const uint8_t* payload = muxed.bytes.data() + pack * kPackSize + 20;
    EXPECT_EQ(payload[-3], 0xBF);
    EXPECT_EQ(payload[0], 0x80);
    EXPECT_EQ(payload[1], pack == 1 ? 0x10 : pack == 2 ? 0x00 : 0x20);
    EXPECT_EQ(payload[2], 3);
    const size_t length = size_t(payload[-2] << 8 | payload[-1]);
    if (pack == 1) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload + 3)), "menu.aca");
    }
    data.insert(data.end(), payload + (pack == 1 ? 34 : 4), payload + length);
  }
  EXPECT_EQ(data, kAdvancedData);
}

TEST(DiscNavigation, TheWalkerFindsEveryKindOfWrongAddress) {
  const synthetic::Muxed muxed = discTitle();
  const size_t dsi = nv::kDsiData;
  const testing::DsiUnit unit = testing::walkDsiBytes({muxed.bytes}, PackNumbering::PerFile).units[1];
  const size_t second = unit.pack * kPackSize;
  const std::pair<size_t, uint32_t> faults[] = {
      {second + dsi + nv::kDsiLbn, 7},                      // wrong position
      {second + dsi + nv::kDsiLastPack, unit.lastPack + 1},  // one pack too many
      {dsi + nv::kDsiReferenceEnds, 1},                     // an ADV_PCK, not video
      {second + dsi + nv::kDsiAudioSync, 0x3FFE},           // beyond the unit
      {dsi + nv::kDsiSubpictureSync + 4 * 5, 2},            // not subpicture 5
  };
  for (const auto& [at, value] : faults) {
    Bytes bytes = muxed.bytes;
    if (at % kPackSize == dsi + nv::kDsiAudioSync) {
      set16(bytes, at, value);
    } else {
      set32(bytes, at, value);
    }
    EXPECT_EQ(testing::walkDsiBytes({bytes}, PackNumbering::PerFile).faults.size(), 1u) << at;
  }
  // A file of a chain counted on from the one before it is not numbered per file.
  EXPECT_FALSE(testing::walkDsiBytes({muxed.bytes, muxed.bytes}, PackNumbering::WholeChain).faults.empty());
}

TEST(PictureTypes, ReferencePicturesAreFoundInTheirHeaders) {
  for (const AccessUnit& unit : sample::vc1Units(2, 90000, 1)) {
    EXPECT_EQ(isReferencePicture(EsCodec::Vc1Video, unit.data.data(), unit.data.size()), unit.reference);
  }
  if (auto missing = testing::discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  // ffprobe tells the MPEG-2 picture types of the sample encoder's stream.
  testing::TempDir dir;
  sample::EncodeSetup setup;
  setup.cacheDir = std::string(VANTREL_BINARY_DIR) + "/test-streams";
  const auto units = sample::encodeVideo(setup, {"m2v", EsCodec::Mpeg2Video, "testsrc2", "352x288", 25, "1"}, 90000);
  Bytes stream;
  std::map<long long, bool> reference;  // by the unit's position in the stream
  for (const AccessUnit& unit : units) {
    reference[(long long)stream.size()] = unit.reference;
    stream.insert(stream.end(), unit.data.begin(), unit.data.end());
  }
  const std::string frames = sample::runTool(
      "ffprobe", {"-v", "error", "-show_frames", "-show_entries", "frame=pict_type,pkt_pos", "-of", "compact",
                  dir.write("a.m2v", stream)});
  size_t bidirectional = 0;
  for (const auto& frame : sample::parseCompactSection(frames, "frame")) {
    const bool b = frame.at("pict_type") == "B";
    bidirectional += b;
    EXPECT_EQ(reference.at(*sample::probeInteger(frame, "pkt_pos")), !b);
  }
  EXPECT_GT(bidirectional, 0u);
}

}  // namespace
}  // namespace vantrel::psmux

namespace vantrel::sample {
namespace {

std::string probeStreams(const std::string& file) {
  std::multiset<std::string> found;
  const std::string out =
      runTool("ffprobe", {"-v", "error", "-show_entries", "stream=id,codec_name", "-of", "compact", file});
  for (const auto& record : parseCompactSection(out, "stream")) found.insert(record.at("id") + " " + record.at("codec_name"));
  std::string text;
  for (const std::string& stream : found) text += stream + "; ";
  return text;
}

TEST(DiscTitles, FeatureAndAngleBlockAreTrueToTheirStreams) {
  if (auto missing = testing::discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  testing::TempDir dir;
  DiscLayout layout;
  layout.titles = {featureTitle(), angleTitle(3)};
  const DiscContent disc = testing::writeTestDisc(layout, dir.path());
  ASSERT_EQ(disc.titles.size(), 2u);
  const DiscTitleContent& feature = disc.titles[0];
  const DiscTitleContent& angles = disc.titles[1];
  ASSERT_EQ(feature.evobs.size(), 2u);
  ASSERT_EQ(angles.evobs.size(), 3u);

  for (const DiscTitleContent& title : disc.titles) {
    const testing::DsiWalk walk = testing::walkDsi(title.files, testing::PackNumbering::PerFile);
    EXPECT_TRUE(walk.faults.empty()) << title.name << ": " << walk.faults.front();
  }
  std::set<uint16_t> vobs;
  for (const testing::DsiUnit& unit : testing::walkDsi(angles.files, testing::PackNumbering::PerFile).units) {
    vobs.insert(unit.vobId);
    EXPECT_TRUE(unit.category & 0x4000);
  }
  EXPECT_EQ(vobs, (std::set<uint16_t>{3, 4, 5}));
  EXPECT_NE(angles.bytesOf(psmux::EsCodec::H264Video, 0xE2, 1), angles.bytesOf(psmux::EsCodec::H264Video, 0xE2, 2));

  // The commentary is in FEATURE_1 only, the late forced subtitles in FEATURE_2 only.
  EXPECT_EQ(probeStreams(feature.files[0]),
            "0x1e2 h264; 0x20 dvd_subtitle; 0x83 ac3; 0x8a dts; 0xa4 pcm_dvd; 0xb1 truehd; 0xc0 eac3; ");
  EXPECT_EQ(probeStreams(feature.files[1]),
            "0x1e2 h264; 0x20 dvd_subtitle; 0x21 dvd_subtitle; 0x8a dts; 0xa4 pcm_dvd; 0xb1 truehd; 0xc0 eac3; ");
  struct Copy {
    const char* map;
    const char* format;
    psmux::EsCodec codec;
    uint8_t id;
  };
  const Copy copies[] = {{"0:i:0x1e2", "h264", psmux::EsCodec::H264Video, 0xE2},
                         {"0:i:0xc0", "eac3", psmux::EsCodec::Eac3, 0xC0},
                         {"0:i:0xb1", "truehd", psmux::EsCodec::TrueHd, 0xB1},
                         {"0:i:0x83", "ac3", psmux::EsCodec::Ac3, 0x83}};
  for (const Copy& copy : copies) {
    const std::string out = dir.file("copy");
    runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", feature.files[0], "-map", copy.map, "-c", "copy",
                       "-f", copy.format, out});
    const DiscStreamContent* content = feature.evobs[0].find(copy.codec, copy.id);
    const char* map = copy.map;
    ASSERT_TRUE(content) << map;
    EXPECT_TRUE(testing::readFileBytes(out) == content->bytes) << map;
  }

  const std::string xpl = testing::readFileText(disc.playlist);
  for (const char* expected : {"titleDuration=\"00:00:01:35\"", "src=\"file:///dvddisc/HVDVD_TS/FEATURE_2.MAP\"",
                               "<Chapter displayName=\"Chapter 2\" titleTimeBegin=\"00:00:00:47\"/>",
                               "<SubtitleTrack track=\"2\" langcode=\"fr:09\"",
                               "description=\"Commentary\"", "<Video track=\"3\" angleNumber=\"3\""}) {
    EXPECT_NE(xpl.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(testing::readFileBytes(disc.advancedFile), disc.advancedData);
}

}  // namespace
}  // namespace vantrel::sample
