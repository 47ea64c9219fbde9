// vantrel-cli end to end: what it prints, what it writes, how it exits.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_options.h"
#include "cli/terminal_host.h"
#include "tests/support/harness.h"
#include "tests/support/cli_runner.h"

namespace vantrel::testing {
namespace {

CliRun cli(const std::string& arguments) { return runCli(arguments); }

TEST(Cli, ReadPrintsTheReportAsPlainTextWhenPiped) {
  TempDir dir;
  const std::string source = dir.write("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  CliRun run = cli("read --no-details '" + source + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "Opening file FEATURE_1.EVO\n"
            "Reading...\n"
            "File size: 0 Mbytes.\n"
            "VOB number 1 contains 0 video , 1 audio and 1 subpicture streams.\n"
            "PTM of first video frame = 00015F90\n"
            "PTM of last video frame = 00041EB0\n"
            "Duration = 0:00:02.000\n"
            "MPEG-2 video stream 0 found!\n"
            "Dolby Digital audio stream 0 found!\n"
            "Subpicture stream 2 found!\n"
            "Done.\n\n"
            "4 frames count in video stream 0.\n\n");
}

TEST(Cli, DemuxWritesTheChosenStreamsOfTheChain) {
  TempDir dir;
  const std::string source = dir.write("T/FEATURE_1.EVO", smallTitle(1));
  dir.write("T/FEATURE_2.EVO", smallTitle(2));
  std::filesystem::create_directory(dir.file("out"));
  CliRun run = cli("demux '" + source + "' -o '" + dir.file("out") + "' --streams a0,s2 --audio-ext ac3");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Creating " + dir.file("out") + "/FEATURE_1_MERGED.DD.stream.00.ac3\n"),
            std::string::npos);
  EXPECT_EQ(readFileBytes(dir.file("out/FEATURE_1_MERGED.DD.stream.00.ac3")),
            (Bytes{0x0B, 0x77, 1, 0x0B, 0x77, 2}));
  EXPECT_TRUE(fileExists(dir.file("out/FEATURE_1_MERGED.Subpicture.02.sup")));
  EXPECT_FALSE(fileExists(dir.file("out/FEATURE_1_MERGED.MPEG-2.stream.0.mpv")));

  CliRun single = cli("demux '" + source + "' -o '" + dir.file("out") + "' --no-continue --streams v0");
  EXPECT_EQ(single.status, 0);
  EXPECT_EQ(readFileBytes(dir.file("out/FEATURE_1.MPEG-2.stream.0.mpv")).size(), 20u);
}

TEST(Cli, ExitStatusTellsErrorsAndBadUsage) {
  TempDir dir;
  const std::string source = dir.write("A.EVO", smallTitle(1));
  CliRun missingFolder = cli("demux '" + source + "' -o '" + dir.file("nowhere") + "'");
  EXPECT_EQ(missingFolder.status, 1);
  EXPECT_NE(missingFolder.out.find("Cannot create file \"" + dir.file("nowhere") +
                                   "/A.MPEG-2.stream.0.mpv\". No such file or directory\nDone.\n"),
            std::string::npos);
  CliRun missingSource = cli("read '" + dir.file("B.EVO") + "'");
  EXPECT_EQ(missingSource.status, 1);
  EXPECT_NE(missingSource.out.find("Cannot open file \"" + dir.file("B.EVO") + "\""), std::string::npos);
  CliRun absent = cli("demux '" + source + "' -o '" + dir.path() + "' --streams a5");
  EXPECT_EQ(absent.status, 1);
  EXPECT_NE(absent.out.find("The title holds no stream a5."), std::string::npos);
  EXPECT_EQ(cli("").status, 2);
  EXPECT_EQ(cli("read").status, 2);
  EXPECT_EQ(cli("read a b").status, 2);
  EXPECT_EQ(cli("read A.EVO --streams v2").status, 2);
  EXPECT_EQ(cli("read A.EVO --frobnicate").status, 2);
  CliRun help = cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: vantrel-cli COMMAND FILE [options]"), std::string::npos);
}

// Ctrl-C during a demux stops at the next chunk; what was written stays.
TEST(Cli, InterruptCancelsCleanlyWithStatus130) {
  TempDir dir;
  Bytes big;
  while (big.size() < (48u << 20)) psmux::append(big, smallTitle(1, 120));
  const std::string source = dir.write("BIG.EVO", big);
  InterruptedRun run = runCliInterrupted(
      {"demux", source, "-o", dir.path(), "--no-details", "--streams", "v0"}, "Demuxing BIG.EVO");
  const std::string& out = run.out;
  ASSERT_TRUE(run.interrupted) << out;
  EXPECT_EQ(run.status, 130);
  EXPECT_NE(out.find("Cancelled.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Done.\n"), std::string::npos);
  const auto written = std::filesystem::file_size(dir.file("BIG.MPEG-2.stream.0.mpv"));
  EXPECT_LT(written, 120u * 20 * (big.size() / smallTitle(1, 120).size()));
}

TEST(Cli, MarkupBecomesAnsiStylesOnATerminal) {
  EXPECT_EQ(cli::TerminalHost::render("[b]MPEG-2[/b] video", true), "\x1b[1mMPEG-2\x1b[0m video");
  EXPECT_EQ(cli::TerminalHost::render("a [bl]1[/bl] [re]2[/re] [c:00FF00]3[/c:00FF00]", true),
            "a \x1b[34m1\x1b[0m \x1b[31m2\x1b[0m \x1b[38;2;0;255;0m3\x1b[0m");
  EXPECT_EQ(cli::TerminalHost::render("[b]MPEG-2[/b] video", false), "MPEG-2 video");
}

TEST(Cli, StreamLists) {
  auto list = cli::parseStreamList("v0,a15,s31");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ((*list)[1].kind, 'a');
  EXPECT_EQ((*list)[1].slot, 15);
  for (const char* bad : {"", "v", "x1", "a16", "s32", "v-1", "a1,", "a1,,a2", "a01x"})
    EXPECT_FALSE(cli::parseStreamList(bad)) << bad;
}

}  // namespace
}  // namespace vantrel::testing
