#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

// Read EVO, then Demux, on the given driver.
void readThenDemux(Driver& d) {
  d.readEvo();
  d.host.lines.clear();
  d.demux();
}

TEST(Demux, TwoFileChainGivesOneFilePerStreamWithBothFilesInOrder) {
  Driver d;
  d.source("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  d.dir.write("HVDVD_TS/FEATURE_2.EVO", smallTitle(2, 2, 90000 + 180000));
  readThenDemux(d);
  const std::string prefix = d.dir.path() + "/FEATURE_1_MERGED";
  const std::vector<std::string> head = {"Creating " + prefix + ".MPEG-2.stream.0.mpv",
                                         "Creating " + prefix + ".DD.stream.00.mpa",
                                         "Creating " + prefix + ".Subpicture.02.sup",
                                         "Opening file [b]FEATURE_1.EVO[/b]",
                                         "File size: 0 Mbytes.",
                                         "Demuxing FEATURE_1.EVO",
                                         "Opening file [b]FEATURE_2.EVO[/b]",
                                         "File size: 0 Mbytes.",
                                         "Demuxing FEATURE_2.EVO",
                                         "Done.",
                                         ""};
  ASSERT_GE(d.lines().size(), head.size());
  EXPECT_EQ(std::vector<std::string>(d.lines().begin(), d.lines().begin() + long(head.size())), head);
  EXPECT_EQ(readFileBytes(prefix + ".DD.stream.00.mpa"), (Bytes{0x0B, 0x77, 1, 0x0B, 0x77, 2}));
  const Bytes video = readFileBytes(prefix + ".MPEG-2.stream.0.mpv");
  ASSERT_EQ(video.size(), 40u);
  EXPECT_EQ(video[4], 1);
  EXPECT_EQ(video[39], 2);
  // Subpicture times are rebased on the smallest first PTS of the scan.
  const Bytes sup = readFileBytes(prefix + ".Subpicture.02.sup");
  ASSERT_EQ(sup.size(), 2 * 14u);
  EXPECT_EQ(sup[2], 0x28);  // 9000 = 0x2328, little-endian
  EXPECT_EQ(sup[3], 0x23);
  EXPECT_EQ(d.ws.session.state.FrameCount[0], 8);
  EXPECT_TRUE(d.host.buttons.demux);
  EXPECT_FALSE(d.ws.session.state.DemuxActive);
}

TEST(Demux, OutputNamesFollowTheFolderAndExtensions) {
  for (const char* folderEnd : {"", "/"}) {
    Driver d;
    d.ws.options.continueChain = false;
    d.ws.options.workdir = d.dir.path() + folderEnd;
    d.ws.options.audioExt = "ac3";
    d.source("T/FEATURE_1.EVO", smallTitle(1));
    d.dir.write("T/FEATURE_2.EVO", smallTitle(2));
    readThenDemux(d);
    EXPECT_TRUE(d.logged("Creating " + d.dir.path() + "/FEATURE_1.DD.stream.00.ac3")) << folderEnd;
    EXPECT_TRUE(d.logged("Creating " + d.dir.path() + "/FEATURE_1.MPEG-2.stream.0.mpv"));
    EXPECT_TRUE(d.logged("Creating " + d.dir.path() + "/FEATURE_1.Subpicture.02.sup"));
    EXPECT_FALSE(d.logged("Opening file [b]FEATURE_2.EVO[/b]"));
  }
}

TEST(Demux, AnEmptyFolderWritesIntoTheCurrentFolder) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.ws.options.workdir.clear();
  d.readEvo();
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(d.dir.path());
  d.demux();
  std::filesystem::current_path(previous);
  EXPECT_TRUE(d.logged("Creating A.DD.stream.00.mpa"));
  EXPECT_TRUE(fileExists(d.dir.file("A.DD.stream.00.mpa")));
}

TEST(Demux, AMissingOutputFolderIsLoggedInRedAndTheRunCloses) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.ws.options.workdir = d.dir.file("no/such");
  readThenDemux(d);
  const std::string name = d.dir.file("no/such") + "/A.MPEG-2.stream.0.mpv";
  const std::vector<std::string> expected = {
      "[re]Cannot create file \"" + name + "\". No such file or directory[/re]", "Done.", ""};
  EXPECT_EQ(std::vector<std::string>(d.lines().begin(), d.lines().begin() + 3), expected);
  EXPECT_EQ(d.ws.errorsLogged, 1);
  EXPECT_TRUE(d.host.buttons.demux);
  EXPECT_FALSE(d.ws.session.state.DemuxActive);
}

TEST(Demux, NothingTickedReadsTheChainAndWritesNothing) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.readEvo();
  for (auto& box : d.ws.boxes.video) box.ticked = false;
  for (auto& box : d.ws.boxes.audio) box.ticked = false;
  for (auto& box : d.ws.boxes.subpicture) box.ticked = false;
  d.host.lines.clear();
  d.demux();
  EXPECT_EQ(d.lines()[0], "Opening file [b]A.EVO[/b]");
  EXPECT_TRUE(d.logged("Done."));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.dir.path()),
                          std::filesystem::directory_iterator{}),
            1);  // only the source folder
}

TEST(Demux, RunningTwiceOverwritesTheOutputs) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  readThenDemux(d);
  d.demux();
  EXPECT_EQ(readFileBytes(d.dir.file("A.DD.stream.00.mpa")), (Bytes{0x0B, 0x77, 1}));
}

// A caption from a playlist may hold separators: the output stays in the folder.
TEST(Demux, CaptionsCannotLeadOutOfTheOutputFolder) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.readEvo();
  d.ws.boxes.audio[0].caption = "../../escape/DD";
  d.ws.boxes.video[0].ticked = d.ws.boxes.subpicture[2].ticked = false;
  d.demux();
  EXPECT_TRUE(fileExists(d.dir.file("A..._.._escape_DD.mpa")));
}

TEST(Demux, TwoStreamsNeverShareAnOutputFile) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.readEvo();
  d.ws.boxes.audio[0].caption = "x/y";
  d.ws.boxes.subpicture[2].caption = "x\ny";
  d.ws.options.subExt = d.ws.options.audioExt;
  d.host.lines.clear();
  d.demux();
  const std::string name = d.dir.file("A.x_y.mpa");
  EXPECT_EQ(d.lines()[0], "[re]Cannot create file \"" + name + "\". Two streams would be written to it.[/re]");
  EXPECT_FALSE(fileExists(name));
  EXPECT_TRUE(d.logged("Done."));
}

// An output name that is a link to a source would truncate the source.
TEST(Demux, NeverCreatesAnOutputOverASourceOfTheChain) {
  Driver d;
  const std::string source = d.source("T/FEATURE_1.EVO", smallTitle(1));
  d.readEvo();
  const std::string output = d.dir.file("FEATURE_1.DD.stream.00.mpa");
  std::filesystem::create_hard_link(source, output);
  const Bytes before = readFileBytes(source);
  d.host.lines.clear();
  d.demux();
  EXPECT_EQ(readFileBytes(source), before);
  ASSERT_FALSE(d.lines().empty());
  EXPECT_EQ(d.lines()[0], "[re]Cannot create file \"" + output +
                              "\". It is a source file of this title and would be destroyed.[/re]");
  EXPECT_FALSE(d.logged("Opening file [b]FEATURE_1.EVO[/b]"));
  EXPECT_TRUE(d.logged("Done."));
}

// A title whose subpicture 25 begins in the pack at 0x48000, past the
// first chunk, which is all a fast check of size 0 reads.
Bytes lateSubpictureTitle() {
  Title title;
  title.add(smallTitle(2)).padTo(0x48000).subpicture(0x25, 90000 + 18000, {0x00, 0x04, 5, 5});
  title.audio(0x8B, 90000, {0x7F, 0xFE, 8});  // DTS in the slot of FEATURE_1's AC-3 83
  return title.bytes();
}

// Streams Read EVO did not list (AC-3 83 only in FEATURE_1, subpicture 25
// past the fast check of FEATURE_2) are written, or reported where met.
TEST(Demux, StreamsReadEvoDidNotListAreWrittenOrReported) {
  for (bool write : {true, false}) {
    Driver d;
    d.ws.session.options.fastCheck = true;
    d.ws.session.options.fastSizeMB = 0;
    d.ws.options.writeUnlistedStreams = write;
    Title first;
    first.add(smallTitle(1)).audio(0x83, 90000, {0x0B, 0x77, 3});
    d.source("T/FEATURE_1.EVO", first.bytes());
    d.dir.write("T/FEATURE_2.EVO", lateSubpictureTitle());
    d.readEvo();
    EXPECT_TRUE(d.logged("Fast EVO checking stopped after 0 of 0 Mbytes: streams that begin later are not listed."));
    EXPECT_FALSE(d.ws.boxes.audio[3].enabled || d.ws.boxes.subpicture[5].enabled);
    d.demux();
    EXPECT_TRUE(d.logged("[re]Audio substream 8B shares slot 3 with 83; its packets are skipped.[/re]"));
    const std::string prefix = d.dir.file("FEATURE_1_MERGED");
    EXPECT_EQ(fileExists(prefix + ".DD.stream.03.mpa"), write);
    EXPECT_EQ(fileExists(prefix + ".Subpicture.05.sup"), write);
    if (write) {
      EXPECT_EQ(readFileBytes(prefix + ".DD.stream.03.mpa"), (Bytes{0x0B, 0x77, 3}));
      EXPECT_EQ(readFileBytes(prefix + ".Subpicture.05.sup").size(), 14u);  // "SP" header and data
      EXPECT_TRUE(d.ws.streamsNotWritten.empty());
      continue;
    }
    ASSERT_EQ(d.ws.streamsNotWritten.size(), 2u);
    const MetStream& commentary = d.ws.streamsNotWritten[0];
    const MetStream& late = d.ws.streamsNotWritten[1];
    EXPECT_EQ(commentary.position / 2048, 5);  // after the nav pack and four packs of smallTitle
    EXPECT_EQ(late.position / 2048, 0x48000 / 2048);
    EXPECT_TRUE(d.logged("[re]The audio stream 3 (id 83), first met in FEATURE_1.EVO at byte " +
                         std::to_string(commentary.position) +
                         ", was not written: Read EVO lists the streams of the last file of the title; "
                         "reading FEATURE_1.EVO alone offers it.[/re]"));
    EXPECT_TRUE(d.logged("[re]The subpicture stream 5 (id 25), first met in FEATURE_2.EVO at byte " +
                         std::to_string(late.position) +
                         ", was not written: a full check (\"Fast EVO checking\" off, --full) offers it.[/re]"));
    EXPECT_EQ(d.ws.errorsLogged, 0);
  }
}

// "Continue with the next EVO" is read when each file ends.
TEST(Demux, UntickingContinueDuringARunStopsAfterTheCurrentFile) {
  struct Untick : RunObserver {
    explicit Untick(LiveFlag& f) : flag(f) {}
    void fileOpened(const std::string&, int64_t) override { flag = false; }
    LiveFlag& flag;
  };
  Driver d;
  d.source("T/FEATURE_1.EVO", smallTitle(1));
  d.dir.write("T/FEATURE_2.EVO", smallTitle(2));
  d.readEvo();
  Untick untick(d.ws.options.continueChain);
  d.session.observer = &untick;
  d.host.lines.clear();
  d.demux();
  EXPECT_TRUE(d.logged("Demuxing FEATURE_1.EVO"));
  EXPECT_FALSE(d.logged("Opening file [b]FEATURE_2.EVO[/b]"));
  EXPECT_EQ(readFileBytes(d.dir.file("FEATURE_1_MERGED.DD.stream.00.mpa")), (Bytes{0x0B, 0x77, 1}));
}

TEST(Demux, CancelIsConfirmedDuringADemuxPass) {
  for (bool yes : {false, true}) {
    Driver d;
    Bytes big;
    while (big.size() < 5u << 20) psmux::append(big, smallTitle(1, 60));
    d.source("T/FEATURE_1.EVO", big);
    d.dir.write("T/FEATURE_2.EVO", smallTitle(2));
    d.readEvo();
    d.host.answers = {yes};
    d.host.onPump = [&] { requestCancel(d.ws); };
    d.host.lines.clear();
    d.demux();
    ASSERT_EQ(d.host.questions.size(), 1u);
    EXPECT_EQ(d.host.questions[0], "Are you sure to stop demuxing?");
    EXPECT_EQ(d.logged("Cancelled."), yes);
    EXPECT_EQ(d.logged("Opening file [b]FEATURE_2.EVO[/b]"), !yes);
    EXPECT_TRUE(d.logged("Done."));
    // What was written before the cancel stays.
    const auto size = std::filesystem::file_size(d.dir.file("FEATURE_1_MERGED.MPEG-2.stream.0.mpv"));
    if (yes) {
      EXPECT_GT(size, 0u);
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
