// What a demux pass writes: bare elementary streams and ".sup" records.
#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

Bytes counting(size_t n, uint8_t from) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(from + i);
  return b;
}

Bytes supRecord(uint32_t time, const Bytes& data) {
  Bytes r{
      'S', 'P', uint8_t(time), uint8_t(time >> 8), uint8_t(time >> 16), uint8_t(time >> 24), 0, 0,
      0,   0};
  psmux::append(r, data);
  return r;
}

TEST(Writers, EachCodecLosesExactlyItsHeaders) {
  Title t;
  const Bytes video = mpeg2Pictures(3);
  const Bytes ac3 = counting(40, 1), dts = counting(41, 2), eac3 = counting(42, 3);
  const Bytes truehd = counting(43, 4), lpcm = counting(44, 5);
  t.video(0xE1, 9000, video);
  t.audio(0x80, 9000, ac3);
  t.audio(0x89, 9000, dts);
  t.audio(0xC2, 9000, eac3);
  t.privateStream1(psmux::trueHdSubstreamHeader(0xB3), 9000, truehd);
  t.privateStream1(psmux::lpcmSubstreamHeader(0xA4, 0, 0x11, 0x80), 9000, lpcm);
  // A second packet of each stream continues its file.
  t.video(0xE1, std::nullopt, video);
  t.audio(0x80, std::nullopt, ac3);

  Engine e;
  e.demuxAll(e.write("F.EVO", t.bytes()));
  Bytes twice = video;
  psmux::append(twice, video);
  EXPECT_EQ(readFileBytes(e.out("v1")), twice);
  Bytes ac3Twice = ac3;
  psmux::append(ac3Twice, ac3);
  EXPECT_EQ(readFileBytes(e.out("a0")), ac3Twice);
  EXPECT_EQ(readFileBytes(e.out("a1")), dts);
  EXPECT_EQ(readFileBytes(e.out("a2")), eac3);
  EXPECT_EQ(readFileBytes(e.out("a3")), truehd);
  EXPECT_EQ(readFileBytes(e.out("a4")), lpcm);
  EXPECT_TRUE(readFileBytes(e.out("v0")).empty());
  // Pictures of ticked video streams are counted in demux passes too.
  EXPECT_EQ(e.session.state.FrameCount[1], 6);
}

TEST(Writers, OnlyTickedSlotsAreWritten) {
  Title t;
  t.audio(0x80, 9000, counting(10, 1));
  t.audio(0x81, 9000, counting(10, 2));
  Engine e;
  e.session.options.selection.audio[1] = true;
  e.create(StreamKind::Audio, 1, e.out("a1"));
  // Slot 0 has an output but its box is not ticked: nothing goes there.
  e.create(StreamKind::Audio, 0, e.out("a0"));
  e.pass(e.write("F.EVO", t.bytes()), DemuxMode, false);
  e.closeOutputs();
  EXPECT_EQ(readFileBytes(e.out("a1")), counting(10, 2));
  EXPECT_TRUE(readFileBytes(e.out("a0")).empty());
}

TEST(Writers, TwoIdsOfOneSlotNeverShareAFile) {
  Title t;
  t.audio(0x80, 9000, counting(10, 1));
  t.audio(0x88, 9000, counting(10, 100));  // DTS numbered from 0 too: same slot
  t.audio(0x80, std::nullopt, counting(10, 1));
  t.audio(0x88, std::nullopt, counting(10, 100));
  t.subpicture(0x20, 9000, {1, 2, 3});
  t.subpicture(0x60, 9000, {4, 5, 6});
  Engine e;
  e.demuxAll(e.write("F.EVO", t.bytes()));
  Bytes ac3 = counting(10, 1);
  psmux::append(ac3, counting(10, 1));
  EXPECT_EQ(readFileBytes(e.out("a0")), ac3);
  EXPECT_EQ(
      e.countLogged("[re]Audio substream 88 shares slot 0 with 80; its packets are skipped.[/re]"),
      1)
      << e.host.text();
  EXPECT_TRUE(
      e.logged("[re]Subpicture substream 60 shares slot 0 with 20; its packets are skipped.[/re]"));
  EXPECT_EQ(readFileBytes(e.out("s0")), supRecord(9000, {1, 2, 3}));
}

TEST(Writers, SupRecordsJoinContinuationPacketsAndRebaseTimes) {
  Title t;
  t.subpicture(0x20, 100000, {1, 2, 3});
  t.subpicture(0x20, std::nullopt, {4, 5});  // continues the same unit
  t.subpicture(0x20, 99000, {6});            // below the smallest first PTS: wraps
  Engine e;
  e.session.state.MinFirstPts = 100000;
  e.demuxAll(e.write("F.EVO", t.bytes()));
  Bytes expected = supRecord(0, {1, 2, 3, 4, 5});
  psmux::append(expected, supRecord(uint32_t(99000 - 100000), {6}));
  EXPECT_EQ(readFileBytes(e.out("s0")), expected);
}

// With no first PTS from the last scan there is nothing to rebase on.
TEST(Writers, SupTimesStayUnchangedWithoutAFirstPts) {
  Title t;
  t.subpicture(0x25, 123456, {9});
  t.subpicture(0x25, 0, {7});  // a stamp of 0 is a stamp: a record of its own
  t.subpicture(0x25, std::nullopt, {8});
  Engine e;
  e.session.state.MinFirstPts = kNoFirstPts;
  e.demuxAll(e.write("F.EVO", t.bytes()));
  Bytes expected = supRecord(123456, {9});
  psmux::append(expected, supRecord(0, {7, 8}));
  EXPECT_EQ(readFileBytes(e.out("s5")), expected);
}

TEST(Writers, AFailedWriteEndsThePassWithTheFileLayerMessage) {
  Title t;
  for (int i = 0; i < 80; ++i) t.audio(0x80, 9000, counting(2000, 0));  // > one output buffer
  Engine e;
  e.session.options.selection.audio[0] = true;
  e.create(StreamKind::Audio, 0, "/dev/full");
  try {
    e.pass(e.write("F.EVO", t.bytes()), DemuxMode, false);
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_STREQ(error.what(), "Cannot write file \"/dev/full\". No space left on device");
  }
  // The lost bytes were reported once; closing afterwards is quiet.
  EXPECT_NO_THROW(e.closeOutputs());
  EXPECT_FALSE(e.outputs.audio[0]);
}

}  // namespace
}  // namespace vantrel::testing
