// vantrel-cli xpl and vti: the playlist and title set reports from the
// command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/cli_runner.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/vti_builder.h"

namespace vantrel::testing {
namespace {

CliRun cli(const std::string& arguments) { return runCli(arguments); }

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const char* const kPlaylist =
    "<Playlist displayName=\"Disc\">\n"
    "<VideoAttributeItem index=\"1\" codec=\"VC-1\"/>\n"
    "<TitleSet timeBase=\"60fps\">\n"
    "<Title displayName=\"Feature [cut]\" titleDuration=\"00:10:00:00\">\n"
    "<Clip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\"/>\n"
    "<Video track=\"1\" mediaAttr=\"1\"/>\n"
    "<Chapter displayName=\"Start\" titleTimeBegin=\"00:00:00:00\"/>\n"
    "<Chapter displayName=\"End\" titleTimeBegin=\"00:09:00:30\"/>\n"
    "</Title>\n"
    "</TitleSet>\n"
    "</Playlist>\n";

TEST(CliXpl, ListingTreeAndChapters) {
  TempDir dir;
  const std::string playlist = dir.write("ADV_OBJ/VPLST000.XPL", std::string(kPlaylist));
  std::filesystem::create_directory(dir.file("out"));
  CliRun run = cli("xpl '" + playlist + "' --source '" + dir.file("HVDVD_TS/FEATURE_1.EVO") +
                      "' --chapters -o '" + dir.file("out") + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  // The listing is printed as it is: brackets in the document are not markup.
  EXPECT_EQ(run.out,
            "Open VPLST000.XPL\n"
            "Filesize: " +
                std::to_string(std::string(kPlaylist).size()) +
                " bytes\n"
                "VC-1.s0 found!\n"
                "Done.\n"
                "\n"
                "\nPlaylist:\n"
                "    <Title displayName=\"Feature [cut]\" titleDuration=\"00:10:00:00\">\n"
                "      <Clip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\"/>\n"
                "      <Video track=\"1\" mediaAttr=\"1\"/>\n"
                "      <Chapter displayName=\"Start\" titleTimeBegin=\"00:00:00:00\"/>\n"
                "      <Chapter displayName=\"End\" titleTimeBegin=\"00:09:00:30\"/>\n"
                "    </Title>\n"
                "\nTitle:\n"
                "Info\n"
                "  Title: Disc\n"
                "  Name: Feature [cut]\n"
                "  Duration: 00:10:00:00\n"
                "  TimeBase: 60fps\n"
                "  TickBase: \n"
                "Video\n"
                "  VC-1.s0\n"
                "Audio\n"
                "Subtitle\n"
                "Chapter\n"
                "  00:00:00:00: Start\n"
                "  00:09:00:30: End\n"
                "Chapters info writed to " +
                dir.file("out") + "/FEATURE_1.chapters.txt\n");
  EXPECT_EQ(readFileText(dir.file("out/FEATURE_1.chapters.txt")),
            "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Start\r\n"
            "CHAPTER02=00:09:01.041\r\nCHAPTER02NAME=End\r\n");
}

TEST(CliXpl, WithoutSourceOnlyTheListing) {
  TempDir dir;
  const std::string playlist = dir.write("VPLST000.XPL", std::string(kPlaylist));
  CliRun run = cli("xpl '" + playlist + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(has(run.out, "\nPlaylist:\n<Playlist displayName=\"Disc\">\n"));
  EXPECT_FALSE(has(run.out, "\nTitle:\n"));

  CliRun chapters = cli("xpl '" + playlist + "' --chapters -o '" + dir.path() + "'");
  EXPECT_EQ(chapters.status, 1);
  EXPECT_TRUE(has(chapters.out, "--chapters needs --source"));

  CliRun other =
      cli("xpl '" + playlist + "' --source OTHER.EVO --chapters -o '" + dir.path() + "'");
  EXPECT_EQ(other.status, 1);
  EXPECT_TRUE(has(other.out, "The playlist holds no chapters for OTHER.EVO."));
  EXPECT_FALSE(std::filesystem::exists(dir.file("OTHER.chapters.txt")));
}

TEST(CliXpl, MissingPlaylistOrOutputFolder) {
  TempDir dir;
  CliRun missing = cli("xpl '" + dir.file("VPLST000.XPL") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(has(missing.out, "Cannot open file \"" + dir.file("VPLST000.XPL") + "\""));

  const std::string playlist = dir.write("VPLST000.XPL", std::string(kPlaylist));
  CliRun noFolder = cli("xpl '" + playlist + "' --source FEATURE_1.EVO --chapters -o '" +
                           dir.file("nowhere") + "'");
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_TRUE(has(noFolder.out,
                  "Cannot create file \"" + dir.file("nowhere") + "/FEATURE_1.chapters.txt\""));
}

TEST(CliXpl, RealPlaylist) {
  const std::string real = realSamplesDir();
  if (real.empty()) GTEST_SKIP() << "real sample playlists are absent";
  CliRun run = cli("xpl '" + real + "/xpl/VPLST004.XPL' --source PEVOB_2.EVO");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(has(run.out,
                  "\nTitle:\nInfo\n  Title: Harry Potter and the Goblet of Fire HD DVD\n"
                  "  Name: Feature Presentation\n"));
  EXPECT_TRUE(has(run.out, "MLP.6ch.s01.English TrueHD found!\n"));
}

TEST(CliVti, FolderFileOrSourceBesideIt) {
  TempDir dir;
  psmux::VtiLayout layout;
  psmux::VtiEntry entry;
  entry.audio = {{psmux::vti_code::kDdPlus, psmux::vti_code::k48kHz, 0}};
  layout.entries = {entry};
  const std::string vti = dir.write("HVDVD_TS/HVA00001.VTI", psmux::buildVti(layout));
  const std::string report =
      "Reading HVA00001.VTI\n"
      "Category: Advanced VTS\n"
      "00000001\n"
      "00000000\n"
      "ATR #1\n"
      "Main Video: VC-1, 16:9, 1920x1080\n"
      "Main Audio stream: 1\n"
      "  0: DD/DD+, 48 kHz\n";
  for (const std::string& given :
       {dir.file("HVDVD_TS"), dir.file("HVDVD_TS/"), vti, dir.file("HVDVD_TS/FEATURE_1.EVO")}) {
    CliRun run = cli("vti '" + given + "'");
    EXPECT_EQ(run.status, 0) << given;
    EXPECT_EQ(run.out, report) << given;
  }

  CliRun missing = cli("vti '" + dir.path() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "HVA00001.VTI not found\n");
}

}  // namespace
}  // namespace vantrel::testing
