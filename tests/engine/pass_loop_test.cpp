// The chunk loop: progress, fast check, cancel, and how a pass ends.
#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

constexpr size_t kMiB = 1 << 20;

// Video packs with one picture each, `size` bytes in all.
Bytes videoTitle(size_t size) {
  Title t;
  while (t.bytes().size() < size) t.video(0xE0, 9000, mpeg2Pictures(1));
  return t.bytes();
}

TEST(PassLoop, ProgressEveryFourMebibytesPumpsTheHost) {
  Engine e;
  e.scan(e.write("F.EVO", videoTitle(9 * kMiB)));
  EXPECT_EQ(e.host.pumps, 2);
  ASSERT_GE(e.host.statusHistory.size(), 2u);
  EXPECT_EQ(e.host.statusHistory[0].rfind("1:4/9 Mbytes, Remaining time: 0:00:", 0), 0u)
      << e.host.statusHistory[0];
  EXPECT_EQ(e.host.statusHistory[1].rfind("1:8/9 Mbytes, Remaining time: ", 0), 0u);
  EXPECT_EQ(e.session.state.FrameCount[0], int(9 * kMiB / 2048));
  // Cancel is enabled for the pass and disabled after it.
  EXPECT_EQ(e.host.cancelEnabledHistory, (std::vector<bool>{true, false}));
}

TEST(PassLoop, CancelStopsAtTheNextChunkAndZeroesTheFrameCounters) {
  Engine e;
  const std::string path = e.write("F.EVO", videoTitle(12 * kMiB));
  e.host.onPump = [&] { e.session.state.CancelRequested = true; };
  e.session.options.selection.video[0] = true;
  e.create(StreamKind::Video, 0, e.out("v0"));
  e.pass(path, DemuxMode, false);
  e.closeOutputs();
  EXPECT_EQ(e.host.pumps, 1);
  EXPECT_EQ(e.session.state.FrameCount[0], 0);
  // The chunk that ended at 4 MiB was still written, nothing after it.
  const size_t perPack = mpeg2Pictures(1).size();
  EXPECT_EQ(readFileBytes(e.out("v0")).size(), 4 * kMiB / 2048 * perPack);
}

TEST(PassLoop, FastCheckStopsAfterTheChunkPastTheLimitWithoutZeroing) {
  Engine e;
  e.session.options.fastCheck = true;
  e.session.options.fastSizeMB = 1;
  e.scan(e.write("F.EVO", videoTitle(3 * kMiB)));
  EXPECT_TRUE(e.session.state.ScanLimitReached);
  EXPECT_FALSE(e.session.state.CancelRequested);
  // Chunk 5 ends at 1.25 MiB, past the limit, and is still parsed.
  EXPECT_EQ(e.session.state.FrameCount[0], int(5 * kChunkSize / 2048));
}

TEST(PassLoop, FastCheckDoesNotLimitDemuxPasses) {
  Engine e;
  e.session.options.fastCheck = true;
  e.session.options.fastSizeMB = 1;
  e.session.options.selection.video[0] = true;
  e.create(StreamKind::Video, 0, e.out("v0"));
  e.pass(e.write("F.EVO", videoTitle(3 * kMiB)), DemuxMode, false);
  EXPECT_EQ(e.session.state.FrameCount[0], int(3 * kMiB / 2048));
  e.closeOutputs();
}

TEST(PassLoop, APassClearsAnEarlierCancelAndSetsDemuxActiveByMode) {
  Engine e;
  const std::string path = e.write("F.EVO", videoTitle(4096));
  e.session.state.CancelRequested = true;
  e.scan(path);
  EXPECT_FALSE(e.session.state.CancelRequested);
  EXPECT_FALSE(e.session.state.DemuxActive);
  EXPECT_EQ(e.session.state.FrameCount[0], 2);
  e.pass(path, DemuxMode, false);
  EXPECT_TRUE(e.session.state.DemuxActive);
}

TEST(PassLoop, EmptyAndTinyFilesEndQuietly) {
  Engine e;
  e.scan(e.write("empty.EVO", Bytes{}));
  e.scan(e.write("one.EVO", Bytes{0x00}));
  e.scan(e.write("start.EVO", Bytes{0x00, 0x00, 0x01, 0xBD, 0x07}));
  EXPECT_TRUE(e.host.lines.empty());
  EXPECT_EQ(e.host.cancelEnabledHistory.size(), 6u);
}

}  // namespace
}  // namespace vantrel::testing
