#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/support/temp_dir.h"
#include "tools/make_sample/encoded_stream.h"
#include "tools/make_sample/playlist_file.h"
#include "tools/make_sample/probe_list.h"
#include "tools/make_sample/sample_title.h"
#include "tools/make_sample/subtitle_art.h"
#include "tools/psmux/vti_builder.h"
#include "tools/make_sample/tool_runner.h"

namespace vantrel::sample {
namespace {

TEST(ProbeList, ReadsTheRequestedSectionOnly) {
  const std::string text =
      "stream|time_base=1/48000\r\n"
      "packet|pts=0|dts=N/A|size=138|pos=0|flags=K_\n"
      "side_data|side_data_type=x\n"
      "packet|size=48|pos=138|flags=__|tag:x=a=b\n"
      "packetx|size=1\n"
      "packet|size=4";
  auto packets = parseCompactSection(text, "packet");
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(probeInteger(packets[0], "size"), 138);
  EXPECT_EQ(probeInteger(packets[0], "dts"), std::nullopt);  // N/A
  EXPECT_EQ(probeInteger(packets[0], "duration"), std::nullopt);
  EXPECT_EQ(probeInteger(packets[1], "pos"), 138);
  EXPECT_EQ(packets[1].at("tag:x"), "a=b");
  EXPECT_EQ(probeInteger(packets[2], "size"), 4);
  auto streams = parseCompactSection(text, "stream");
  ASSERT_EQ(streams.size(), 1u);
  auto base = parseRational(streams[0].at("time_base"));
  ASSERT_TRUE(base);
  EXPECT_EQ(base->num, 1);
  EXPECT_EQ(base->den, 48000);
  EXPECT_FALSE(parseRational("1/0"));
  EXPECT_FALSE(parseRational("90000"));
  EXPECT_FALSE(parseRational("a/b"));
}

ProbeRecord packet(long long pos, long long size, const char* flags = "__", long long duration = 0) {
  ProbeRecord record{{"pos", std::to_string(pos)}, {"size", std::to_string(size)}, {"flags", flags}};
  if (duration) record["duration"] = std::to_string(duration);
  return record;
}

Bytes counting(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i);
  return bytes;
}

TEST(EncodedStream, VideoTimesFollowThePresentationOrder) {
  // Decoding order I P B B I; presentation order I B B P I.
  Bytes stream = counting(50);
  std::vector<ProbeRecord> packets = {packet(0, 20, "K_"), packet(20, 10), packet(30, 5), packet(35, 5),
                                      packet(40, 10, "K_")};
  std::vector<long long> shown = {0, 30, 35, 20, 40};
  auto units = videoUnits(stream, packets, shown, 3600, 90000);
  ASSERT_EQ(units.size(), 5u);
  // PTS by presentation; DTS one frame ahead of the first PTS and then a
  // frame apart; absent where it equals the PTS.
  const uint64_t pts[] = {90000, 100800, 93600, 97200, 104400};
  const uint64_t dts[] = {86400, 90000, 93600, 97200, 100800};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(units[i].pts, pts[i]);
    EXPECT_EQ(units[i].dts.value_or(units[i].pts), dts[i]);
    EXPECT_EQ(units[i].dts.has_value(), pts[i] != dts[i]);
    EXPECT_EQ(units[i].duration, 3600u);
  }
  EXPECT_TRUE(units[0].randomAccess);
  EXPECT_FALSE(units[1].randomAccess);
  EXPECT_TRUE(units[4].randomAccess);
  EXPECT_EQ(units[1].data, Bytes(stream.begin() + 20, stream.begin() + 30));
}

TEST(EncodedStream, PacketsMustTileTheStream) {
  Bytes stream = counting(30);
  std::vector<long long> shown = {0, 10};
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(12, 18)}, shown, 3600, 90000), std::runtime_error);
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(10, 10)}, shown, 3600, 90000), std::runtime_error);
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(10, 25)}, shown, 3600, 90000), std::runtime_error);
  // Pictures that do not match the packets one to one.
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(10, 20)}, {0, 0}, 3600, 90000), std::runtime_error);
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(10, 20)}, {0}, 3600, 90000), std::runtime_error);
  // Reordering deeper than the first PTS allows.
  EXPECT_THROW(videoUnits(stream, {packet(0, 10), packet(10, 20)}, {10, 0}, 3600, 0), std::runtime_error);
}

TEST(EncodedStream, AudioTimesAccumulateWithoutDrift) {
  // 1,000 frames of 1,152 samples at 44.1 kHz: 2,351.02... ticks each.
  const size_t frames = 1000;
  Bytes stream = counting(frames * 4);
  std::vector<ProbeRecord> packets;
  for (size_t i = 0; i < frames; ++i) packets.push_back(packet(long(i * 4), 4, "K_", 1152));
  auto units = audioUnits(stream, packets, Rational{1, 44100}, 1000);
  ASSERT_EQ(units.size(), frames);
  EXPECT_EQ(units[1].pts, 1000u + 2351);
  EXPECT_EQ(units.back().pts, 1000u + 999ull * 1152 * 90000 / 44100);
  uint64_t total = 0;
  for (const auto& unit : units) total += unit.duration;
  EXPECT_EQ(total, 1000ull * 1152 * 90000 / 44100);
  EXPECT_THROW(audioUnits(stream, {packet(0, 4000)}, Rational{1, 44100}, 0), std::runtime_error);  // no duration
}

TEST(EncodedStream, LpcmUnitsAreWholeSamplePeriods) {
  // 2 channels x 2 bytes: 250 sample periods and one torn byte.
  Bytes samples = counting(1001);
  auto units = lpcmUnits(samples, 2, 48000, 80, 90000);
  ASSERT_EQ(units.size(), 4u);  // 80 + 80 + 80 + 10
  EXPECT_EQ(units[0].data.size(), 320u);
  EXPECT_EQ(units[3].data.size(), 40u);
  EXPECT_EQ(units[1].pts, 90150u);
  EXPECT_EQ(units[3].pts, 90450u);
  EXPECT_EQ(units[3].duration, 18u);  // 10 periods: 18.75 ticks, rounded down at the end
  EXPECT_THROW(lpcmUnits(samples, 2, 0, 80, 0), std::invalid_argument);
  EXPECT_THROW(lpcmUnits(samples, 2, 48000, 0, 0), std::invalid_argument);
}

TEST(EncodedStream, SplitsVideoAtAPictureThatCanStartDecoding) {
  std::vector<AccessUnit> units(6);
  const uint64_t pts[] = {0, 3, 1, 2, 4, 5};
  for (size_t i = 0; i < 6; ++i) {
    units[i].pts = pts[i];
    units[i].data = {uint8_t(i)};
  }
  units[0].randomAccess = true;
  units[5].randomAccess = true;
  SplitUnits video = splitUnits(units, 3, true);
  EXPECT_EQ(video.before.size(), 5u);
  EXPECT_EQ(video.after.size(), 1u);
  SplitUnits audio = splitUnits(units, 3, false);
  EXPECT_EQ(audio.before.size(), 1u);
  EXPECT_EQ(audio.after.size(), 5u);
}

TEST(Captions, DrawTextWithAnOutline) {
  psmux::SubpictureBitmap one = renderCaption("A", 1);
  EXPECT_EQ(one.width, 5 + 4);
  EXPECT_EQ(one.height, 7 + 4);
  // Row 0 of "A" is .###. and the outline sits around it.
  EXPECT_EQ(one.at(2, 2), 2);
  EXPECT_EQ(one.at(3, 2), 1);
  EXPECT_EQ(one.at(3, 1), 2);
  EXPECT_EQ(one.at(0, 0), 0);
  psmux::SubpictureBitmap two = renderCaption("SOUS-TITRE 1", 2);
  EXPECT_EQ(two.width, 12 * 12 - 2 + 4);
  EXPECT_THROW(renderCaption("a"), std::invalid_argument);
  EXPECT_THROW(renderCaption(""), std::invalid_argument);
}

uint32_t be32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
uint16_t be16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

TEST(TitleSetFile, FieldsSitWhereReadersLookForThem) {
  using namespace psmux::vti_code;
  psmux::VtiEntry first;
  first.mainVideo = {kVc1, kAspect16x9, kRes1920x1080};
  first.audio = {{kDdPlus, k48kHz, 0}, {kMlp, k48kHz, 2}};
  psmux::VtiEntry second;
  second.mainVideo = {kMpeg2, kAspect4x3, kRes720x480};
  second.subVideo = psmux::VtiVideo{kAvc, kAspect4x3, kRes1280x720};
  psmux::VtiLayout layout;
  layout.entries = {first, second};
  layout.wholeSectors = true;
  Bytes file = psmux::buildVti(layout);
  ASSERT_EQ(file.size() % 2048, 0u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 12), "ADVANCED-VTS");
  EXPECT_EQ(be32(file, 34), 2u);
  const size_t table = size_t(be32(file, 184)) * 2048;
  ASSERT_LT(table + 16 + 2048, file.size() + 1);
  EXPECT_EQ(be16(file, table), 2);
  const size_t entry = table + be32(file, table + 8);
  // Codec in bits 31-29, aspect 25-24, resolution 15-12.
  EXPECT_EQ(be32(file, entry + 2), 3u << 29 | 3u << 24 | 12u << 12);
  EXPECT_EQ(be32(file, entry + 6), 0u);
  EXPECT_EQ(be16(file, entry + 14), 2);
  EXPECT_EQ(be32(file, entry + 16), 7u << 26);
  EXPECT_EQ(be32(file, entry + 20), 1u << 26 | 2u << 14);  // MLP, 24 bits
  const size_t next = entry + 1024;
  EXPECT_EQ(be32(file, next + 2), 1u << 29 | 5u << 12);
  EXPECT_EQ(be32(file, next + 6), 2u << 29 | 8u << 12);
  EXPECT_EQ(be16(file, next + 14), 0);
}

TEST(PlaylistFile, TimesAreSixtiethsOfASecond) {
  EXPECT_EQ(playlistTime(0), "00:00:00:00");
  EXPECT_EQ(playlistTime(216000), "00:00:02:24");
  EXPECT_EQ(playlistTime(1500), "00:00:00:01");
  EXPECT_EQ(playlistTime(1499), "00:00:00:00");
  EXPECT_EQ(playlistTime(90000ull * 3723 + 45000), "01:02:03:30");
}

// The sample's title is the one a reader finds when it looks for the
// source's name: its clips are the first lines that name FEATURE_1 and
// FEATURE_2, inside the one Title element.
TEST(PlaylistFile, SampleTitleNamesItsClipsAndTracks) {
  SampleTitle title;
  title.start = kSampleStart;
  title.split = kSampleStart + kSampleFileLength;
  title.end = kSampleStart + kSampleLength;
  const std::string xml = playlistXml(samplePlaylist(title));
  const size_t titleAt = xml.find("<Title ");
  const size_t titleEnd = xml.find("</Title>");
  ASSERT_NE(titleAt, std::string::npos);
  ASSERT_NE(titleEnd, std::string::npos);
  for (const char* name : {"FEATURE_1", "FEATURE_2"}) {
    const size_t at = xml.find(name);
    ASSERT_NE(at, std::string::npos) << name;
    EXPECT_GT(at, titleAt);
    EXPECT_LT(at, titleEnd);
  }
  EXPECT_NE(xml.find("src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\""), std::string::npos);
  EXPECT_NE(xml.find("titleDuration=\"00:00:04:48\""), std::string::npos);
  EXPECT_NE(xml.find("<AudioAttributeItem index=\"4\" codec=\"MLP\" channels=\"2\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<Audio track=\"5\" streamNumber=\"5\" mediaAttr=\"5\" description=\"Tone 698 Hz\"/>"),
            std::string::npos);
  EXPECT_NE(xml.find("<Subtitle track=\"2\" streamNumber=\"2\" mediaAttr=\"1\" description=\"French\"/>"),
            std::string::npos);
  EXPECT_NE(xml.find("<Chapter displayName=\"Chapter 3\" titleTimeBegin=\"00:00:02:24\"/>"), std::string::npos);
  // One tag per line, lines ended by CR LF.
  EXPECT_EQ(xml.find("\n"), xml.find("\r\n") + 1);
}

TEST(PlaylistFile, IsWellFormedXml) {
  if (!testing::haveTool("python3")) GTEST_SKIP() << "python3 is not installed";
  testing::TempDir dir;
  Playlist playlist = samplePlaylist(SampleTitle{{}, kSampleStart, kSampleStart + 100, kSampleStart + 200});
  playlist.titles[0].chapters.push_back({"Tom & \"Jerry\" <1>", 0});
  std::string path = dir.write("VPLST000.XPL", playlistXml(playlist));
  std::string out;
  int status = testing::runCommand(
      "python3 -c \"import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); "
      "print(d.getElementsByTagName('Chapter')[-1].getAttribute('displayName'))\" " +
          shellQuote(path),
      &out);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "Tom & \"Jerry\" <1>\n");
}

TEST(ToolRunner, QuotesAndReportsFailures) {
  EXPECT_EQ(shellQuote("it's"), "'it'\\''s'");
  EXPECT_EQ(runTool("printf", {"%s|", "a b", "it's"}), "a b|it's|");
  EXPECT_THROW(runTool("false", {}), std::runtime_error);
}

}  // namespace
}  // namespace vantrel::sample
