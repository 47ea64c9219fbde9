#include "drivers/operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "workspace/stream_boxes.h"
#include "workspace/title_chain.h"
#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::vector<uint8_t> kStreams = {0xE0, 0x88, 0x89, 0x8A, 0x20, 0x21};

class RebuildDriver : public ::testing::Test {
 protected:
  // FEATURE_1.EVO (a kept pack ahead of its navigation pack) and FEATURE_2.EVO.
  void SetUp() override {
    first.audio(0x8A).nav().filler(1);
    second.nav().filler(1);
    firstPath = bench.dir.write("HVDVD_TS/FEATURE_1.EVO", first.bytes());
    secondPath = bench.dir.write("HVDVD_TS/FEATURE_2.EVO", second.bytes());
    bench.scanned(firstPath, kStreams);
    bench.ws.boxes.audio[1].ticked = false;
    bench.ws.boxes.subpicture[0].ticked = false;
  }

  void expectWindowBack() {
    EXPECT_TRUE(bench.ws.buttons.demux);
    EXPECT_TRUE(bench.ws.buttons.rebuild);
    EXPECT_FALSE(bench.ws.session.state.DemuxActive);
    EXPECT_FALSE(heldOpen(firstPath) || heldOpen(secondPath));
    EXPECT_EQ(bench.host.panels[0], "Ready");
    EXPECT_EQ(bench.host.panels[1], "");
    ASSERT_GE(bench.host.lines.size(), 2u);
    EXPECT_EQ(bench.host.lines[bench.host.lines.size() - 2], "Done.");
    EXPECT_EQ(bench.host.lines.back(), "");
  }

  RebuildHarness bench;
  Title first;
  Title second;
  std::string firstPath;
  std::string secondPath;
};

TEST_F(RebuildDriver, AChainBecomesOneOutputWithTheFilesInOrder) {
  for (std::string folder : {bench.dir.path(), bench.dir.path() + "/"}) {
    bench.host.lines.clear();
    bench.ws.options.workdir = folder;
    rebuildTitle(bench.ws);

    const std::string output = bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO");
    EXPECT_THAT(bench.host.lines,
                ElementsAre("Creating " + output, "Opening file [b]FEATURE_1.EVO[/b]",
                            "File size: 0 Mbytes.", "Rebuilding...",
                            "Opening file [b]FEATURE_2.EVO[/b]", "File size: 0 Mbytes.",
                            "Rebuilding...", "Done.", ""));
    // Numbers are given before the first pack and hold in both files.
    EXPECT_EQ(summary(readFileBytes(output)), "89 N E0 88 89 20 N E0 88 89 20");
    EXPECT_EQ(bench.ws.paths.OutputBaseName, "FEATURE_1_MERGED");
    expectWindowBack();
  }
  EXPECT_EQ(bench.host.cancelEnabledHistory, std::vector<bool>({true, false, true, false, true, false, true, false}));
}

TEST_F(RebuildDriver, WithoutContinueOnlyTheChosenFileIsRebuilt) {
  bench.ws.options.continueChain = false;
  rebuildTitle(bench.ws);
  EXPECT_EQ(summary(readFileBytes(bench.dir.file("FEATURE_1.rebuilt.EVO"))), "89 N E0 88 89 20");
  EXPECT_THAT(bench.host.text(), Not(HasSubstr("FEATURE_2")));
  expectWindowBack();
}

TEST_F(RebuildDriver, CancelInTheFirstFileLeavesTheSecondUnopened) {
  Title big;
  big.nav().filler(400);
  bench.dir.write("HVDVD_TS/FEATURE_1.EVO", big.bytes());
  bench.host.onPump = [&] { requestCancel(bench.ws); };

  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.questions, ElementsAre("Are you sure to stop demuxing?"));
  EXPECT_THAT(bench.host.text(), HasSubstr("Cancelled.\n"));
  EXPECT_THAT(bench.host.text(), Not(HasSubstr("FEATURE_2")));
  auto written = scrs(readFileBytes(bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO")));
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written.back(), 2047u);
  expectWindowBack();
}

TEST_F(RebuildDriver, AnOutputThatIsASourceFileIsRefused) {
  const std::string output = bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO");
  ASSERT_EQ(::symlink(secondPath.c_str(), output.c_str()), 0);
  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.lines, ElementsAre("[re]" + outputOverSourceMessage(output) + "[/re]", "Done.", ""));
  EXPECT_EQ(readFileBytes(secondPath), second.bytes());
  expectWindowBack();
}

TEST_F(RebuildDriver, WithoutAReadEvoOfThisSourceTheSourceIsReadFirst) {
  // After Read XPL the catalogue holds marks and the boxes the playlist's
  // tracks, of which the user unticked audio 1 and subpicture 0.
  Resetcbs(bench.ws.boxes, bench.ws.buttons, firstPath);
  bench.ws.session.state.AudioStreamId.fill(1);
  bench.ws.catalogueOrigin = CatalogueOrigin::ReadXpl;
  for (StreamBox* box : {&bench.ws.boxes.video[0], &bench.ws.boxes.audio[0], &bench.ws.boxes.audio[2],
                         &bench.ws.boxes.subpicture[1]})
    box->ticked = true;
  bench.ws.options.autoDemux = true;  // not started by this scan

  rebuildTitle(bench.ws);
  const std::string output = bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO");
  EXPECT_EQ(summary(readFileBytes(output)), "89 N E0 88 89 20 N E0 88 89 20");
  EXPECT_THAT(bench.host.text(), HasSubstr("Reading...\n"));
  EXPECT_THAT(bench.host.text(), HasSubstr("Done.\n\nCreating " + output + "\n"));
  EXPECT_THAT(bench.host.text(), Not(HasSubstr("Demuxing")));
  EXPECT_TRUE(bench.ws.options.autoDemux);
  EXPECT_EQ(bench.ws.catalogueOrigin, CatalogueOrigin::ReadEvo);
  expectWindowBack();

  // With no scan and nothing ticked every stream found is kept.
  bench.ws.catalogueOrigin = CatalogueOrigin::None;
  Resetcbs(bench.ws.boxes, bench.ws.buttons, firstPath);
  rebuildTitle(bench.ws);
  EXPECT_EQ(summary(readFileBytes(output)), "8A N E0 88 89 8A 20 21 N E0 88 89 8A 20 21");
}

TEST_F(RebuildDriver, RebuildAfterReadEvoOfTheSourceDoesNotScanAgain) {
  bench.ws.catalogueOrigin = CatalogueOrigin::None;
  scanTitle(bench.ws);
  rebuildTitle(bench.ws);
  EXPECT_EQ(summary(readFileBytes(bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO"))),
            "8A N E0 88 89 8A 20 21 N E0 88 89 8A 20 21");
  EXPECT_THAT(bench.host.text(), Not(HasSubstr("Rebuild reads the streams")));
  expectWindowBack();
}

TEST_F(RebuildDriver, NothingIsWrittenWhenTheSourceCannotBeReadOrNothingIsTicked) {
  const std::string output = bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO");
  bench.ws.catalogueSource = bench.dir.file("HVDVD_TS/OTHER_1.EVO");
  ASSERT_EQ(::unlink(firstPath.c_str()), 0);
  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.text(), HasSubstr("[re]Cannot open file \"" + firstPath + "\"."));
  EXPECT_FALSE(fileExists(output));
  EXPECT_EQ(bench.ws.errorsLogged, 1);
  EXPECT_EQ(bench.host.lines.back(), "");

  bench.dir.write("HVDVD_TS/FEATURE_1.EVO", first.bytes());
  bench.scanned(firstPath, kStreams);
  for (auto& box : bench.ws.boxes.audio) box.ticked = false;
  for (auto& box : bench.ws.boxes.video) box.ticked = false;
  for (auto& box : bench.ws.boxes.subpicture) box.ticked = false;
  bench.host.lines.clear();
  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.lines,
              ElementsAre("[re]Rebuild needs at least one ticked stream that Read EVO found.[/re]",
                          "Done.", ""));
  EXPECT_FALSE(fileExists(output));
}

// A run that finds nothing to keep must not look like a success: no
// output, one red line, and Rebuild counts as failed.
TEST_F(RebuildDriver, NothingMatchedLeavesNoOutputAndSaysWhy) {
  Title dvd(psmux::Layout::Dvd);
  dvd.nav().filler(1);
  Bytes misaligned = first.bytes();
  misaligned.insert(misaligned.begin(), 0x00);
  Title untickedOnly;
  untickedOnly.nav().audio(0x89).audio(0x81);  // 81: no slot holds it
  const std::string layout = "Rebuild wrote nothing: no pack of FEATURE_1.EVO has the HD DVD pack "
                             "layout (a DVD .VOB, or a file that does not start on a pack boundary).";
  const std::pair<Bytes, std::string> cases[] = {
      {dvd.bytes(), layout},
      {misaligned, layout},
      {untickedOnly.bytes(), "Rebuild wrote nothing: no pack of the ticked streams was found in FEATURE_1.EVO."}};
  bench.ws.options.continueChain = false;
  const std::string output = bench.dir.file("FEATURE_1.rebuilt.EVO");
  for (const auto& [bytes, why] : cases) {
    bench.dir.write("HVDVD_TS/FEATURE_1.EVO", bytes);
    bench.host.lines.clear();
    bench.ws.errorsLogged = 0;
    rebuildTitle(bench.ws);
    EXPECT_THAT(bench.host.lines,
                ElementsAre("Creating " + output, "Opening file [b]FEATURE_1.EVO[/b]", "File size: 0 Mbytes.",
                            "Rebuilding...", "[re]" + why + "[/re]", "Done.", ""));
    EXPECT_FALSE(fileExists(output));
    EXPECT_EQ(bench.ws.errorsLogged, 1);
    expectWindowBack();
  }
}

TEST_F(RebuildDriver, FileErrorsAreLoggedInRedAndTheWindowComesBack) {
  bench.ws.options.workdir = bench.dir.file("missing");
  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.lines[0], StartsWith("[re]Cannot create file \"" + bench.dir.file("missing/")));
  EXPECT_THAT(bench.host.text(), Not(HasSubstr("Opening file")));
  expectWindowBack();

  // A source that goes missing after its Read EVO: the output stays, empty.
  bench.host.lines.clear();
  bench.ws.options.workdir = bench.dir.path();
  ASSERT_EQ(::unlink(firstPath.c_str()), 0);
  rebuildTitle(bench.ws);
  EXPECT_THAT(bench.host.text(), HasSubstr("[re]Cannot open file \"" + firstPath + "\"."));
  EXPECT_TRUE(fileExists(bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO")));
  EXPECT_TRUE(readFileBytes(bench.dir.file("FEATURE_1_MERGED.rebuilt.EVO")).empty());
  EXPECT_EQ(bench.ws.errorsLogged, 2);
  expectWindowBack();
}

}  // namespace
}  // namespace vantrel::testing
