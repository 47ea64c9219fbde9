#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

TEST(ReadEvo, ReportsAFileAndLabelsItsStreams) {
  Driver d;
  d.ws.session.options.details = false;
  d.source("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  d.readEvo();
  const std::vector<std::string> expected = {
      "Opening file [b]FEATURE_1.EVO[/b]",
      "Reading...",
      "File size: 0 Mbytes.",
      "VOB number 1 contains [b]0[/b] video , [b]1[/b] audio and [b]1[/b] subpicture streams.",
      "PTM of first video frame = [re]00015F90[/re]",
      "PTM of last video frame = 00041EB0",
      "Duration = [b]0:00:02.000[/b]",
      "[b]MPEG-2[/b] video stream 0 found!",
      "[b]Dolby Digital[/b] audio stream 0 found!",
      "[b]Subpicture[/b] stream 2 found!",
      "Done.",
      "",
      "4 frames count in video stream 0.",
      ""};
  EXPECT_EQ(d.lines(), expected);
  const StreamBoxes& boxes = d.host.boxes;
  EXPECT_EQ(boxes.video[0], (StreamBox{true, true, "MPEG-2.stream.0", ""}));
  EXPECT_EQ(boxes.audio[0].caption, "DD.stream.00");
  EXPECT_EQ(boxes.subpicture[2].caption, "Subpicture.02");
  EXPECT_FALSE(boxes.audio[1].enabled);
  EXPECT_EQ(boxes.audio[1].caption, "No audio stream");
  EXPECT_TRUE(d.host.buttons.demux);
  EXPECT_TRUE(d.host.buttons.rebuild);
  EXPECT_TRUE(d.host.buttons.readEVO);
  EXPECT_EQ(d.host.panels[0], "Ready");
  EXPECT_EQ(d.host.panels[1], "");
  EXPECT_EQ(d.ws.paths.OutputBaseName, "FEATURE_1");
  EXPECT_EQ(d.ws.catalogueOrigin, CatalogueOrigin::ReadEvo);
}

TEST(ReadEvo, FollowsTheChainAndNamesTheTitleMerged) {
  Driver d;
  d.ws.session.options.details = true;
  d.source("T/FEATURE_1.EVO", smallTitle(1));
  d.dir.write("T/FEATURE_2.EVO", smallTitle(2, 2, 90000 + 180000));
  d.readEvo();
  EXPECT_EQ(d.ws.paths.OutputBaseName, "FEATURE_1_MERGED");
  EXPECT_TRUE(d.logged("Opening file [b]FEATURE_2.EVO[/b]"));
  // A "." separates the reports of the files when details are on.
  EXPECT_EQ(d.lines().front(), ".");
  EXPECT_EQ(d.lines()[size_t(d.indexOf("Opening file [b]FEATURE_2.EVO[/b]") - 1)], ".");
  EXPECT_NEAR(d.ws.session.state.TitleDuration, 4.0, 1e-9);
  EXPECT_EQ(d.ws.session.state.FirstVideoPtm, 90000u);
  EXPECT_EQ(d.ws.session.state.FrameCount[0], 8);

  Driver single;
  single.ws.options.continueChain = false;
  single.source("T/FEATURE_1.EVO", smallTitle(1));
  single.dir.write("T/FEATURE_2.EVO", smallTitle(2));
  single.readEvo();
  EXPECT_EQ(single.ws.paths.OutputBaseName, "FEATURE_1");
  EXPECT_FALSE(single.logged("Opening file [b]FEATURE_2.EVO[/b]"));
}

TEST(ReadEvo, CancelInTheSecondOfThreeFilesKeepsTheBoxesOfWhatWasRead) {
  Driver d;
  d.source("T/FEATURE_1.EVO", smallTitle(1));
  // The second file is long enough to reach a progress point, where the
  // user presses Cancel; it holds only video.
  Bytes second;
  while (second.size() < 5u << 20) psmux::append(second, smallTitle(2, 60));
  d.dir.write("T/FEATURE_2.EVO", second);
  d.dir.write("T/FEATURE_3.EVO", smallTitle(3));
  bool cancelled = false;
  d.host.onPump = [&] {
    if (!cancelled) requestCancel(d.ws);  // a scan: no question
    cancelled = true;
  };
  d.ws.options.autoDemux = true;
  d.readEvo();
  EXPECT_TRUE(d.host.questions.empty());
  const auto readReport = std::vector<std::string>(
      d.lines().begin(), d.lines().begin() + d.indexOf("Done."));
  EXPECT_EQ(std::count(readReport.begin(), readReport.end(), "Opening file [b]FEATURE_3.EVO[/b]"), 0);
  // Counters are zeroed by the cancel: no "frames count" line in that report.
  auto afterDone = d.lines().begin() + d.indexOf("Done.");
  EXPECT_EQ(*(afterDone + 2), "Creating " + d.dir.file("FEATURE_1_MERGED.MPEG-2.stream.0.mpv"));
  EXPECT_EQ(d.ws.paths.OutputBaseName, "FEATURE_1_MERGED");
  // The automatic Demux still runs, over the whole chain.
  EXPECT_TRUE(d.logged("Demuxing FEATURE_3.EVO"));
}

TEST(ReadEvo, FastCheckLimitsEachFileButTheChainGoesOn) {
  Driver d;
  d.ws.session.options.fastCheck = true;
  d.ws.session.options.fastSizeMB = 1;
  Bytes big;
  while (big.size() < 3u << 20) psmux::append(big, smallTitle(1, 60));
  d.source("T/FEATURE_1.EVO", big);
  d.dir.write("T/FEATURE_2.EVO", smallTitle(2));
  d.readEvo();
  EXPECT_TRUE(d.logged("Opening file [b]FEATURE_2.EVO[/b]"));
  EXPECT_TRUE(d.logged("File size: 3 Mbytes."));
}

TEST(ReadEvo, AutoClearEmptiesTheLogFirst) {
  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.host.log("old line");
  d.readEvo();
  EXPECT_TRUE(d.logged("old line"));
  d.ws.options.autoClear = true;
  d.readEvo();
  EXPECT_FALSE(d.logged("old line"));
  EXPECT_EQ(d.lines().front(), ".");
}

TEST(ReadEvo, AnUnopenableSourceRaisesAndLeavesTheWindowUsable) {
  Driver d;
  d.choose(d.dir.file("missing/FEATURE_1.EVO"));
  d.ws.buttons.readXPL = true;
  EXPECT_THROW(d.readEvo(), FileError);
  EXPECT_TRUE(d.host.buttons.readEVO);
  EXPECT_TRUE(d.host.buttons.readXPL);
  EXPECT_TRUE(d.host.buttons.browseEVO);
  EXPECT_FALSE(heldOpen(d.ws.paths.eEVOfile));
}

TEST(ReadEvo, AutoDemuxAfterFindingNothingDemuxesNothing) {
  Driver d;
  d.source("T/EMPTY.EVO", Bytes(4096, 0xFF));
  d.ws.options.autoDemux = true;
  d.readEvo();
  EXPECT_FALSE(d.host.boxes.anyTicked());
  EXPECT_TRUE(d.logged("Demuxing EMPTY.EVO"));
  EXPECT_EQ(d.lines().back(), "");
  EXPECT_EQ(d.lines()[d.lines().size() - 2], "Done.");
}

TEST(ReadEvo, SizeLineIsInWholeMebibytes) {
  for (auto [bytes, shown] : {std::pair{0ul, 0}, {1048575ul, 0}, {1048576ul, 1}}) {
    Driver d;
    d.source("T/S.EVO", Bytes(bytes, 0xFF));
    d.readEvo();
    EXPECT_TRUE(d.logged("File size: " + std::to_string(shown) + " Mbytes.")) << bytes;
  }
}

}  // namespace
}  // namespace vantrel::testing
