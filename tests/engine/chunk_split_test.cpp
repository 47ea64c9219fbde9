// Packets and headers split across chunks give the same result as whole
// ones, whatever the chunk size.
#include <gtest/gtest.h>

#include <map>

#include "engine/pack_parser.h"
#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

// A title whose headers carry every optional field the parser follows.
Bytes mixedTitle() {
  Title t;
  psmux::Pes video{.streamId = 0xE0,
                   .pts = 0x1'0000'1234ull,
                   .dts = 0x1'0000'0000ull,
                   .stuffing = 3,
                   .payload = mpeg2Pictures(7)};
  t.pes(video);
  t.pes({.streamId = 0xFD,
         .pts = 777,
         .streamIdExtension = 0x56,
         .pstdBuffer = true,
         .payload = {0, 0, 1, 0x0D, 0, 0, 1, 0x0D, 0, 0, 1, 0x0D}});
  t.audio(0x82, 5555, Bytes(900, 0x42));
  t.privateStream1(psmux::lpcmSubstreamHeader(0xA0, 0x05, 0x41, 0x00), 4444, Bytes(333, 0x17));
  t.privateStream1(psmux::trueHdSubstreamHeader(0xB1), 3333, Bytes(222, 0x99));
  t.subpicture(0x27, 2222, Bytes(1500, 0x33));
  t.subpicture(0x27, std::nullopt, Bytes(700, 0x34));
  t.subpicture(0x27, 2300, Bytes(10, 0x35));
  // The same video again, a frame later, so that counting spans packets.
  video.pts = 0x1'0000'2000ull;
  video.dts.reset();
  t.pes(video);
  return t.bytes();
}

struct Outcome {
  std::vector<std::string> lines;
  std::array<int32_t, kVideoSlots> video;
  std::array<int32_t, kAudioSlots> audio;
  std::array<int32_t, kSubpictureSlots> sub;
  std::array<int32_t, kVideoSlots> frames;
  bool operator==(const Outcome&) const = default;
};

Outcome scanWith(size_t chunkSize) {
  RecordingHost host;
  Session session(host);
  session.options.details = true;
  Outcome o;
  // The analyzers see only the first piece of a stream's first packet, so
  // their lines depend on where a chunk cuts it; the engine's own must not.
  for (const auto& line : scanInChunks(mixedTitle(), chunkSize, session))
    if (line.ends_with(" found!") || line.starts_with("   First PTS = ") ||
        line.starts_with("   Substream id = ") || line.starts_with("   Format = "))
      o.lines.push_back(line);
  o.video = session.state.VideoStreamId;
  o.audio = session.state.AudioStreamId;
  o.sub = session.state.SubpictureStreamId;
  o.frames = session.state.FrameCount;
  return o;
}

std::map<std::string, Bytes> demuxWith(size_t chunkSize) {
  RecordingHost host;
  Session session(host);
  TempDir dir;
  auto& st = session.state;
  st.MinFirstPts = 1000;
  session.options.selection.video = {true, true};
  session.options.selection.audio.fill(true);
  session.options.selection.subpicture.fill(true);
  const std::map<std::string, std::pair<StreamKind, size_t>> slots = {
      {"v0", {StreamKind::Video, 0}}, {"v1", {StreamKind::Video, 1}},
      {"a0", {StreamKind::Audio, 0}}, {"a1", {StreamKind::Audio, 1}},
      {"a2", {StreamKind::Audio, 2}}, {"s7", {StreamKind::Subpicture, 7}}};
  std::map<std::string, std::unique_ptr<OutputFile>> outputs;
  PayloadTargets targets;
  for (auto& [name, slot] : slots) {
    outputs[name] = OutputFile::create(dir.file(name));
    targets[slot.first][slot.second] = outputs[name].get();
  }
  const Bytes title = mixedTitle();
  PackParser parser(session, DemuxMode, targets);
  for (size_t at = 0; at < title.size(); at += chunkSize) {
    Bytes chunk(title.begin() + long(at),
                title.begin() + long(std::min(title.size(), at + chunkSize)));
    parser.parseChunk(chunk.data(), chunk.size());
  }
  for (auto& [name, out] : outputs) out->close();
  std::map<std::string, Bytes> files;
  for (auto& [name, out] : slots) files[name] = readFileBytes(dir.file(name));
  return files;
}

TEST(ChunkSplits, ScanGivesTheSameCatalogueLinesAndCountsForAnyChunkSize) {
  const Outcome whole = scanWith(1 << 20);
  ASSERT_EQ(whole.video[0], 0xE0);
  ASSERT_EQ(whole.video[1], 0x56);
  ASSERT_EQ(whole.audio[0], 0xA0);
  ASSERT_EQ(whole.audio[1], 0xB1);
  ASSERT_EQ(whole.audio[2], 0x82);
  ASSERT_EQ(whole.sub[7], 0x27);
  ASSERT_EQ(whole.frames[0], 14);
  ASSERT_EQ(whole.frames[1], 3);
  for (size_t size : {1, 2, 3, 4, 5, 7, 13, 64, 511, 2047, 2048, 2049, 4096, 6000}) {
    Outcome split = scanWith(size);
    EXPECT_EQ(split.video, whole.video) << size;
    EXPECT_EQ(split.audio, whole.audio) << size;
    EXPECT_EQ(split.sub, whole.sub) << size;
    EXPECT_EQ(split.lines, whole.lines) << size;
    // The last bytes of each video stream carry over, so a start code cut
    // anywhere is counted once.
    EXPECT_EQ(split.frames, whole.frames) << size;
  }
}

TEST(ChunkSplits, DemuxWritesTheSameBytesForAnyChunkSize) {
  const auto whole = demuxWith(1 << 20);
  ASSERT_EQ(whole.at("a2"), Bytes(900, 0x42));
  ASSERT_EQ(whole.at("a0"), Bytes(333, 0x17));
  ASSERT_EQ(whole.at("a1"), Bytes(222, 0x99));
  // Two records: the unit carried in two packets, then the next one.
  ASSERT_EQ(whole.at("s7").size(), 10 + 1500 + 700 + 10 + 10u);
  for (size_t size : {1, 3, 4, 7, 100, 2047, 2049}) EXPECT_EQ(demuxWith(size), whole) << size;
}

TEST(ChunkSplits, BytesBetweenPacketsThatAlmostFormAStartCodeStartNoPacket) {
  // Junk between packs: 01 without two zeros, 00 00 02, a pack start code
  // (not a packet), and zeros running into the next pack's start code.
  const Bytes junk{0x47, 0x00, 0x01, 0xE1, 0x00, 0x00, 0x02, 0xE1, 0x00, 0x00,
                   0x00, 0x01, 0xBA, 0x01, 0xE1, 0x00, 0x01, 0xBD, 0x00, 0x00};
  Title t;
  t.add(junk).video(0xE0, 0x1000, mpeg2Pictures(3)).add(junk).audio(0x81, 0x2000, Bytes(500, 0x11));
  t.add(junk).add({0x00, 0x00, 0x01});  // a start code cut off by the end

  RecordingHost host;
  Session session(host);
  session.options.details = false;
  const auto whole = scanInChunks(t.bytes(), 1 << 20, session);
  ASSERT_EQ(session.state.VideoStreamId[0], 0xE0);
  ASSERT_EQ(session.state.VideoStreamId[1], -1);  // E1 never followed 00 00 01
  ASSERT_EQ(session.state.AudioStreamId[1], 0x81);
  ASSERT_EQ(session.state.FrameCount[0], 3);
  for (size_t size = 1; size <= 24; ++size) {
    EXPECT_EQ(scanInChunks(t.bytes(), size, session), whole) << size;
    EXPECT_EQ(session.state.VideoStreamId[1], -1) << size;
    EXPECT_EQ(session.state.AudioStreamId[1], 0x81) << size;
  }
}

}  // namespace
}  // namespace vantrel::testing
