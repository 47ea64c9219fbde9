#include "rebuild/rebuild_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "tests/support/recording_host.h"
#include "engine/demux.h"
#include "tests/support/dsi_walker.h"
#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

class RebuildEngine : public ::testing::Test {
 protected:
  // Rebuilds `title` with the workspace's catalogue and boxes.
  Bytes run(const Title& title) { return run(title, planFromWorkspace(bench.ws)); }

  Bytes run(const Title& title, const RebuildPlan& plan, int64_t startAt = 0) {
    const auto in = InputFile::open(bench.dir.write("src.EVO", title.bytes()));
    in->seek(startAt);
    auto out = OutputFile::create(bench.dir.file("out.EVO"));
    last = RebuildRun{};
    last.numbers = numbers;
    Rebuild(bench.ws, *in, plan, last, *out);
    finishRebuild(last, *out);
    numbers = last.numbers;
    out->close();
    return readFileBytes(bench.dir.file("out.EVO"));
  }

  std::string source() const { return bench.dir.file("src.EVO"); }

  RebuildHarness bench;
  Renumbering numbers;
  RebuildRun last;
};

// Bytes in which a rebuilt pack differs from the source pack of the same SCR.
std::vector<size_t> changedOffsets(const Bytes& source, const WalkedPack& rebuilt) {
  for (const WalkedPack& original : walk(source)) {
    if (original.scr != rebuilt.scr) continue;
    std::vector<size_t> offsets;
    for (size_t i = 0; i < rebuilt.size; ++i)
      if (original.bytes[i] != rebuilt.bytes[i]) offsets.push_back(i);
    return offsets;
  }
  ADD_FAILURE() << "no source pack with SCR " << rebuilt.scr;
  return {};
}

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

TEST_F(RebuildEngine, KeepsTheTickedStreamsNumberedFromZeroInBoxOrder) {
  Title title;
  title.nav().filler(2);
  bench.scanned(source(), {0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21});
  bench.ws.boxes.audio[1].ticked = false;       // DTS 89
  bench.ws.boxes.subpicture[0].ticked = false;  // subpicture 20

  Bytes out = run(title);
  EXPECT_EQ(summary(out), "N E0 88 89 20 E0 88 89 20");
  EXPECT_THAT(scrs(out), ElementsAre(0, 1, 2, 4, 6, 7, 8, 10, 12));

  // Only the identifier byte of a renumbered pack changes; payloads stay.
  for (const WalkedPack& pack : walk(out)) {
    auto changed = changedOffsets(title.bytes(), pack);
    if (pack.scr == 4 || pack.scr == 10) {  // 8A -> 89
      ASSERT_EQ(changed.size(), 1u);
      EXPECT_EQ(pack.bytes[changed[0]], 0x89);
    } else if (pack.scr == 6 || pack.scr == 12) {  // 21 -> 20
      EXPECT_EQ(changed.size(), 1u);
    } else if (pack.streamId != stream_id::kSystemHeader) {
      EXPECT_TRUE(changed.empty()) << "pack " << pack.scr;
    }
  }
}

TEST_F(RebuildEngine, EveryKeptPackOfALongTitleIsWrittenOnceAndWhole) {
  // Several read blocks, navigation packs between them, a short last piece;
  // dropping the last audio and subpicture leaves every other identifier as
  // it is, so kept packs must match their source byte for byte.
  Title title;
  for (int vobu = 0; vobu < 6; ++vobu) title.nav().filler(57).video(0xE0);
  Bytes tail = psmux::navigationPack(9999, {});
  tail.resize(1000);
  title.add(tail);
  const std::vector<uint8_t> ids{0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21};
  auto expectedScrs = [&](bool dropSome) {
    std::vector<uint64_t> kept;
    for (const WalkedPack& pack : walk(title.bytes()))
      if (!dropSome || (pack.substream != 0x8A && pack.substream != 0x21)) kept.push_back(pack.scr);
    return kept;
  };

  for (bool dropSome : {false, true}) {
    bench.scanned(source(), ids);
    bench.ws.boxes.audio[2].ticked = !dropSome;
    bench.ws.boxes.subpicture[1].ticked = !dropSome;
    numbers.reset();
    Bytes out = run(title);
    EXPECT_EQ(out.size() % 2048, 1000u);
    EXPECT_EQ(scrs(out), expectedScrs(dropSome)) << dropSome;
    for (const WalkedPack& pack : walk(out)) {
      if (pack.streamId == stream_id::kSystemHeader) continue;
      EXPECT_TRUE(changedOffsets(title.bytes(), pack).empty()) << "pack " << pack.scr;
    }
  }
}

TEST_F(RebuildEngine, TheEngineFindsExactlyTheKeptStreamsInTheRebuiltTitle) {
  Title title;
  title.nav();
  for (int i = 0; i < 30; ++i)  // past the first 256 KiB, where the system header is read
    title.vc1(0x55).vc1(0x56).audio(0x88).audio(0x89).audio(0x8A).subpicture(0x20).subpicture(0x21).subpicture(0x22);
  bench.scanned(source(), {0x55, 0x56, 0x88, 0x89, 0x8A, 0x20, 0x21, 0x22}, 0x12345, 0xABCDEF);
  bench.ws.boxes.video[0].ticked = false;
  bench.ws.boxes.audio[1].ticked = false;
  bench.ws.boxes.subpicture[0].ticked = false;
  Bytes out = run(title);

  RecordingHost host;
  Session again(host);
  again.options.details = false;
  again.options.fastCheck = false;
  demux(again, ScanMode, *InputFile::open(bench.dir.write("again.EVO", out)));

  std::array<int32_t, kAudioSlots> audio;
  audio.fill(-1);
  audio[0] = 0x88;
  audio[1] = 0x89;
  std::array<int32_t, kSubpictureSlots> subpictures;
  subpictures.fill(-1);
  subpictures[0] = 0x20;
  subpictures[1] = 0x21;
  EXPECT_THAT(again.state.VideoStreamId, ElementsAre(0x55, -1));
  EXPECT_EQ(again.state.AudioStreamId, audio);
  EXPECT_EQ(again.state.SubpictureStreamId, subpictures);
  EXPECT_THAT(host.text(), HasSubstr("VOB number 1 contains [b]1[/b] video , [b]2[/b] audio and "
                                     "[b]2[/b] subpicture streams.\n"
                                     "PTM of first video frame = [re]00012345[/re]\n"
                                     "PTM of last video frame = 00ABCDEF\n"));
}

TEST_F(RebuildEngine, ALoneSecondVideoBecomesTheFirst) {
  // VC-1 extension 56 with PTS only, PTS and DTS, and a P-STD buffer field.
  Title vc1;
  vc1.nav().vc1(0x55).vc1(0x56).vc1(0x56, true).vc1(0x56, true, true).vc1(0x55, false, true);
  bench.scanned(source(), {0x55, 0x56});
  bench.ws.boxes.video[0].ticked = false;
  Bytes out = run(vc1);
  EXPECT_EQ(summary(out), "N V55 V55 V55");
  EXPECT_THAT(scrs(out), ElementsAre(0, 2, 3, 4));
  EXPECT_EQ(walk(out)[0].bytes[24] & 0x1F, 1);

  Title mpeg2;
  mpeg2.nav().video(0xE0).video(0xE1);
  numbers.reset();
  bench.scanned(source(), {0xE0, 0xE1});
  bench.ws.boxes.video[0].ticked = false;
  out = run(mpeg2);
  EXPECT_EQ(summary(out), "N E0");
  EXPECT_THAT(scrs(out), ElementsAre(0, 2));
}

TEST_F(RebuildEngine, NavigationPacksDescribeTheKeptStreamsAndTheTitleTimes) {
  // The first unit's DSI names the E0 pack as the end of a reference
  // picture and each stream's pack in its sync entry: N E0 88 89 8A 20 21.
  psmux::Navigation named;
  named.audioSync = {2, 3, 4};
  named.subpictureSync = {5, 6};
  Bytes flagged = psmux::navigationPack(0, named);
  flagged[23] |= 0x03;                          // fixed_flag, CSPS_flag
  flagged[24] = uint8_t(0xA0 | (flagged[24] & 0x1F));  // lock flags, marker
  const size_t dsiAt = psmux::dsiDataOffset(psmux::Layout::HdDvd);
  flagged[dsiAt + 15] = 1;  // first reference end
  Title title;
  title.add(flagged).filler(1).nav();
  bench.scanned(source(), {0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21}, 0x12345678, 0x9ABCDEF0);
  bench.ws.boxes.audio[1].ticked = false;
  bench.ws.boxes.subpicture[0].ticked = false;

  Bytes out = run(title);
  ASSERT_EQ(summary(out), "N E0 88 89 20 N");
  std::vector<WalkedPack> navs;
  for (const WalkedPack& pack : walk(out))
    if (pack.streamId == stream_id::kSystemHeader) navs.push_back(pack);
  ASSERT_EQ(navs.size(), 2u);
  EXPECT_EQ(navs[0].bytes[23], (2 << 2) | 0x03);
  EXPECT_EQ(navs[0].bytes[24], 0xA0 | 1);
  EXPECT_EQ(navs[1].bytes[23] >> 2, 2);
  const uint8_t* firstDsi = navs[0].bytes + dsiAt;
  const uint8_t* secondDsi = navs[1].bytes + dsiAt;
  for (const uint8_t* dsi : {firstDsi, secondDsi}) {
    EXPECT_EQ(be32(dsi + 44), 0x12345678u);
    EXPECT_EQ(be32(dsi + 48), 0x9ABCDEF0u);
  }
  // The first unit lost two packs: it now ends at its fourth; 8A (now 89)
  // and 21 (now 20) take the entries of their new numbers and point at
  // where their packs are now; the dropped streams' entries are cleared.
  EXPECT_THAT(std::vector<uint32_t>({be32(firstDsi + 4), be32(firstDsi + 8), be32(firstDsi + 12)}),
              ElementsAre(0, 4, 1));
  EXPECT_EQ(be32(secondDsi + 4), 5u);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(firstDsi[530 + 2 * i] << 8 | firstDsi[531 + 2 * i], i == 0 ? 2 : i == 1 ? 3 : 0) << i;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(be32(firstDsi + 546 + 4 * i), i == 0 ? 4u : 0u) << i;
  // The second navigation pack had every sync entry set, pointing past its
  // unit: the kept streams' entries say they have no pack in it.
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(secondDsi[530 + 2 * i] << 8 | secondDsi[531 + 2 * i], i < 2 ? 0x3FFF : 0) << i;
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ(be32(secondDsi + 546 + 4 * i), i < 1 ? 0x3FFFFFFFu : 0u) << i;
  const DsiWalk walked = walkDsiBytes({out}, PackNumbering::WholeChain);
  EXPECT_TRUE(walked.faults.empty()) << walked.faults.front();
}

TEST_F(RebuildEngine, SyncEntriesStayWithEightAudioStreamsAndGoWithoutSubpictures) {
  Title title;
  title.nav();
  bench.scanned(source(), {0xE0, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87});
  const uint8_t* dsi;
  Bytes out = run(title);
  dsi = walk(out)[0].bytes + psmux::dsiDataOffset(psmux::Layout::HdDvd);
  EXPECT_EQ(walk(out)[0].bytes[23] >> 2, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(dsi[530 + 2 * i] << 8 | dsi[531 + 2 * i], 0x3FFF);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(be32(dsi + 546 + 4 * i), 0u);
}

TEST_F(RebuildEngine, ANavigationPackWithoutItsDsiHeaderKeepsItsDsi) {
  Bytes broken = psmux::navigationPack(0, {.firstVideoPtm = 0x11, .audioSync = {7, 7}});
  broken[1292] = 0xF2;  // packet length no longer 755
  Title title;
  title.add(broken);
  bench.scanned(source(), {0xE0, 0x80, 0x81}, 0x55555555, 0x66666666);
  Bytes out = run(title);
  ASSERT_EQ(out.size(), broken.size());
  EXPECT_EQ(out[23] >> 2, 2);  // the system header is still rewritten
  EXPECT_TRUE(std::equal(out.begin() + 1287, out.end(), broken.begin() + 1287));
}

TEST_F(RebuildEngine, AdvancedContentPacksFollowTheOption) {
  Title title;
  title.nav().advanced().copyControl().video(0xE0).advanced();
  bench.scanned(source(), {0xE0});
  EXPECT_EQ(summary(run(title)), "N BF E0");
  bench.ws.options.rebuildAdvanced = true;
  EXPECT_EQ(summary(run(title)), "N ADV BF E0 ADV");
}

TEST_F(RebuildEngine, IdentifiersWithoutANewNumberKeepTheirValue) {
  // 8A before the first navigation pack has no number yet; 84 and the
  // subpicture 35 are no catalogued streams, 81 lost slot 1 to B1 (no box
  // stands for them: they go); C0 is MPEG audio, outside the table.
  Title title;
  title.audio(0x8A).nav().audio(0x8A).audio(0x84).subpicture(0x35).mpegAudio(0xC0).audio(0x81).audio(0xB1);
  bench.scanned(source(), {0xE0, 0x88, 0x8A, 0xB1});
  bench.ws.boxes.audio[0].ticked = false;
  EXPECT_EQ(summary(run(title)), "8A N 89 C0 B0");
  EXPECT_EQ(walk(run(title))[1].bytes[23] >> 2, 2);  // 8A and B1
}

// MPEG audio streams C0 and C1 are no E-AC-3 substreams of those numbers:
// unticking E-AC-3 C0 and renumbering C1 to C0 leaves them as they are.
TEST_F(RebuildEngine, MpegAudioIsNotTakenForTheSubstreamOfItsNumber) {
  Title title;
  title.nav().audio(0xC0).audio(0xC1).mpegAudio(0xC0).mpegAudio(0xC1);
  bench.scanned(source(), {0xC0, 0xC1});
  bench.ws.boxes.audio[0].ticked = false;
  EXPECT_EQ(summary(run(title)), "N C0 C0 C1");
}

TEST_F(RebuildEngine, ANumberThatWouldNameAnotherCodecIsNotGiven) {
  // Eight E-AC-3 streams take numbers 0-7; AC-3 80 as the ninth kept audio
  // stream would become 88, a DTS identifier.
  RebuildPlan plan = planFromWorkspace(bench.ws);
  for (int slot = 0; slot < 8; ++slot) plan.ids.audio[size_t(slot)] = 0xC0 + slot;
  plan.ids.audio[8] = 0x80;
  for (int slot = 0; slot < 9; ++slot) plan.keep.audio[size_t(slot)] = true;
  Title title;
  title.nav().audio(0x80).audio(0xC7);
  EXPECT_EQ(summary(run(title, plan)), "N 80 C7");
  EXPECT_THAT(bench.host.text(), HasSubstr("audio stream 80 keeps its identifier"));
}

TEST_F(RebuildEngine, CancelStopsAfterThePackInHandAndKeepsEveryKeptPackBeforeIt) {
  Title title;
  title.nav().filler(400);  // 2,401 packs: one progress step at 4 MiB
  bench.scanned(source(), {0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21});
  bench.ws.boxes.audio[1].ticked = false;
  bench.host.onPump = [&] { bench.ws.session.state.CancelRequested = true; };

  // Starting at pack 100 puts the 4 MiB mark in the middle of a read block.
  Bytes out = run(title, planFromWorkspace(bench.ws), 100 * 2048);
  std::vector<uint64_t> expected;
  for (const WalkedPack& pack : walk(title.bytes()))
    if (pack.scr >= 100 && pack.scr < 2048 && pack.substream != 0x89) expected.push_back(pack.scr);
  EXPECT_EQ(scrs(out), expected);
  EXPECT_EQ(bench.host.pumps, 1);
  EXPECT_THAT(bench.host.panels[1],
              MatchesRegex("Rebuilding src\\.EVO 4/4 Mbytes, Remaining time: [0-9]:[0-5][0-9]:[0-5][0-9]"));
  EXPECT_THAT(bench.host.cancelEnabledHistory, ElementsAre(true, false));
}

TEST_F(RebuildEngine, AHeldRunWaitsAtItsNextChunkUntilTheAnswer) {
  // The window holds the run while it asks whether to stop; here the answer
  // (Yes) comes from another thread once the run waits.
  Title title;
  title.nav().filler(400);
  bench.scanned(source(), {0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21});
  ProcessingState& state = bench.ws.session.state;
  std::thread asker;
  bool waited = false;
  bench.host.onPump = [&] {
    state.Hold.hold();
    asker = std::thread([&] {
      waited = state.Hold.waitUntilHeld(std::chrono::seconds(20));
      state.CancelRequested = true;
      state.Hold.release();
    });
  };
  Bytes out = run(title);
  asker.join();
  EXPECT_TRUE(waited);
  // The 4 MiB mark ends a chunk: the run stopped before the next one.
  EXPECT_EQ(out.size(), 2048u * 2048u);
}

TEST_F(RebuildEngine, DamagedInputIsSkippedOrCopiedWithoutReadingPastIt) {
  Bytes garbage(2048, 0xA5);
  psmux::Pes dvdVideo;
  dvdVideo.streamId = 0xE1;
  dvdVideo.payload = Bytes(100, 1);
  Bytes dvdPack = psmux::packWithPes(7, dvdVideo, nullptr, psmux::Layout::Dvd);
  Bytes tail = psmux::navigationPack(9, {});
  tail.resize(100);
  Title title;
  title.nav().video(0xE1).add(garbage).add(dvdPack).add(tail);
  bench.scanned(source(), {0xE0, 0xE1});
  bench.ws.boxes.video[1].ticked = false;

  Bytes out = run(title);
  // The unticked E1 pack goes; the garbage is not written; the DVD pack is
  // no HD DVD pack, so no rule applies and it is copied as it is; the short
  // tail starts like a pack and is copied with its system header adjusted.
  ASSERT_EQ(out.size(), 2 * 2048u + 100u);
  EXPECT_EQ(summary(out), "N E1 N");
  EXPECT_TRUE(std::equal(dvdPack.begin(), dvdPack.end(), out.begin() + 2048));
  EXPECT_EQ(out[2 * 2048 + 23] >> 2, 0);
}

}  // namespace
}  // namespace vantrel::testing
