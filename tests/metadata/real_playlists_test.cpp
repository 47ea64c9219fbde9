// Playlists of real HD DVD discs, read where they lie (never copied).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workspace/source_paths.h"
#include "metadata/chapter_writer.h"
#include "metadata/playlist_reader.h"
#include "metadata/tree_text.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingDriverHost;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::StartsWith;
using testing::TempDir;

class RealPlaylist : public ::testing::Test {
 protected:
  // Reads playlist `file` of the real samples for a source named `source`
  // in the disc's HVDVD_TS folder; false when the samples are absent.
  bool read(const std::string& file, const std::string& source) {
    const std::string real = testing::realSamplesDir();
    if (real.empty()) return false;
    ws.paths.eEVOfile = dir.path() + "/HVDVD_TS/" + source;
    EVOadj(ws.paths, ws.buttons);
    ws.paths.eXPLfile = real + "/xpl/" + file;
    XPLadj(ws.paths, ws.buttons);
    ws.options.workdir = dir.path();
    readPlaylist(ws, view);
    return true;
  }

  std::vector<std::string> foundLines() const {
    std::vector<std::string> found;
    for (const std::string& line : host.lines)
      if (line.size() > 7 && line.ends_with(" found!")) found.push_back(line);
    return found;
  }

  // Writes the chapter file and checks that it holds the chapter lines.
  void writeAndCheckChapters() {
    writeChapterFile(ws, view);
    std::string expected;
    for (const std::string& line : view.mChapter) expected += line + "\r\n";
    EXPECT_EQ(testing::readFileText(chapterFileName(ws)), expected);
  }

  TempDir dir;
  RecordingDriverHost host;
  Workspace ws{host};
  PlaylistView view;
};

#define READ_OR_SKIP(file, source) \
  if (!read(file, source)) GTEST_SKIP() << "real sample playlists are absent"

struct DiscCase {
  const char* file;
  const char* source;  // named after one of the playlist's clips
  const char* titleName;
  size_t video, audio, subtitles, chapters;
};

class EveryRealPlaylist : public RealPlaylist, public ::testing::WithParamInterface<DiscCase> {};

TEST_P(EveryRealPlaylist, KeepsTheTitleOfTheClipAndListsIt) {
  const DiscCase& disc = GetParam();
  READ_OR_SKIP(disc.file, disc.source);

  ASSERT_FALSE(view.mXPL.empty());
  EXPECT_THAT(view.mXPL.front(), ::testing::HasSubstr("<Title "));
  EXPECT_THAT(view.mXPL.back(), ::testing::HasSubstr("</Title>"));
  ASSERT_EQ(view.tvXPL.size(), 5u);
  EXPECT_THAT(treeLines(view.tvXPL), ::testing::Contains(std::string("  Name: ") + disc.titleName));
  EXPECT_EQ(view.tvXPL[1].children.size(), disc.video);
  EXPECT_EQ(view.tvXPL[2].children.size(), disc.audio);
  EXPECT_EQ(view.tvXPL[3].children.size(), disc.subtitles);
  EXPECT_EQ(view.tvXPL[4].children.size(), disc.chapters);
  EXPECT_EQ(view.mChapter.size(), 2 * disc.chapters);
  EXPECT_EQ(foundLines().size(), disc.video + disc.audio + disc.subtitles);
  EXPECT_TRUE(ws.boxes.video[0].ticked);
  EXPECT_TRUE(ws.buttons.writeChaps);
  writeAndCheckChapters();
}

INSTANTIATE_TEST_SUITE_P(
    Discs, EveryRealPlaylist,
    ::testing::Values(DiscCase{"VPLST000.XPL", "PEVOB3.EVO", "feature", 1, 8, 0, 16},
                      DiscCase{"VPLST001.XPL", "PEVOB_2.EVO", "Feature Presentation", 1, 4, 4, 29},
                      DiscCase{"VPLST002.XPL", "FEATURE_2.EVO", "Main Movie", 1, 1, 1, 10},
                      DiscCase{"VPLST003.XPL", "FEATURE_1.EVO", "Main Movie", 1, 4, 0, 19},
                      DiscCase{"VPLST004.XPL", "PEVOB_1.EVO", "Feature Presentation", 1, 4, 0, 29},
                      DiscCase{"VPLST005.XPL", "L0_mainMovie.EVO", "mainMovie", 1, 1, 0, 20}),
    [](const auto& test) { return std::string(test.param.file).substr(0, 8); });

TEST_F(RealPlaylist, AuthoringTestDiscWithoutAttributeItems) {
  // No MediaAttributeList and no mediaAttr: the codec part of each label
  // stays empty instead of reading outside the tables.
  READ_OR_SKIP("VPLST000.XPL", "PEVOB3.EVO");
  EXPECT_THAT(foundLines(), ElementsAre(".s0 found!", ".s00. found!", ".s01. found!",
                                        ".s02. found!", ".s03. found!", ".s04. found!",
                                        ".s05. found!", ".s06. found!", ".s07. found!"));
  EXPECT_EQ(view.mChapter[2], "CHAPTER02=00:04:42.000");
  EXPECT_EQ(view.mChapter[3], "CHAPTER02NAME=Chapter 2");
}

TEST_F(RealPlaylist, RetailTitleWithChannelsAndSubtitles) {
  READ_OR_SKIP("VPLST001.XPL", "PEVOB_1.EVO");
  const std::vector<std::string> tree = treeLines(view.tvXPL);
  EXPECT_THAT(
      std::vector<std::string>(tree.begin(), tree.begin() + 17),
      ElementsAre("Info", "  Title: Enter the Dragon HD DVD", "  Name: Feature Presentation",
                  "  Duration: 01:42:50:14", "  TimeBase: 60fps", "  TickBase: 60fps", "Video",
                  "  VC-1.s0", "Audio", "  DD+.6ch.s00.English 5.1", "  DD+.1ch.s01.French 1.0",
                  "  DD+.2ch.s02.Spanish 2.0", "  DD+.2ch.s03.Commentary", "Subtitle",
                  "  8bitRLC.s00.English", "  8bitRLC.s01.English SDH", "  8bitRLC.s02.French"));
  EXPECT_EQ(ws.boxes.audio[1].hint, "DD+.1ch.s01.French 1.0");
  EXPECT_EQ(ws.boxes.subpicture[3].caption, "8bitRLC.s03.Spanish");
  EXPECT_EQ(view.mChapter[56], "CHAPTER29=01:40:18.000");
}

TEST_F(RealPlaylist, FeatureSplitOverTwoClips) {
  READ_OR_SKIP("VPLST002.XPL", "FEATURE_1.EVO");
  EXPECT_EQ(view.mXPL.front(),
            "    <Title titleNumber=\"1\" titleDuration=\"01:43:53:24\" id=\"MainMovie\" "
            "displayName=\"Main Movie\" onEnd=\"NEXT\" alternativeSDDisplayMode=\"letterbox\">");
  EXPECT_EQ(view.mXPL.back(), "    </Title>");
  EXPECT_THAT(treeLines(view.tvXPL),
              ElementsAre("Info", "  Name: Main Movie", "  Duration: 01:43:53:24",
                          "  TimeBase: 60fps", "  TickBase: 24fps", "Video", "  VC-1.s0", "Audio",
                          "  DD+.s00.English 5.1", "Subtitle", "  8bitRLC.s00.English", "Chapter",
                          "  00:00:00:00: Chapter  1", "  00:05:24:57: Chapter  2",
                          "  00:18:27:07: Chapter  3", "  00:30:36:30: Chapter  4",
                          "  00:39:46:05: Chapter  5", "  01:03:21:10: Chapter  6",
                          "  01:09:49:30: Chapter  7", "  01:19:54:30: Chapter  8",
                          "  01:29:31:45: Chapter  9", "  01:36:01:12: Chapter 10"));
  EXPECT_THAT(foundLines(), ElementsAre("VC-1.s0 found!", "DD+.s00.English 5.1 found!",
                                        "8bitRLC.s00.English found!"));
  EXPECT_THAT(
      view.mChapter,
      ElementsAre("CHAPTER01=00:00:00.000", "CHAPTER01NAME=Chapter  1", "CHAPTER02=00:05:24.950",
                  "CHAPTER02NAME=Chapter  2", "CHAPTER03=00:18:27.116", "CHAPTER03NAME=Chapter  3",
                  "CHAPTER04=00:30:36.500", "CHAPTER04NAME=Chapter  4", "CHAPTER05=00:39:46.083",
                  "CHAPTER05NAME=Chapter  5", "CHAPTER06=01:03:21.166", "CHAPTER06NAME=Chapter  6",
                  "CHAPTER07=01:09:49.500", "CHAPTER07NAME=Chapter  7", "CHAPTER08=01:19:54.500",
                  "CHAPTER08NAME=Chapter  8", "CHAPTER09=01:29:31.750", "CHAPTER09NAME=Chapter  9",
                  "CHAPTER10=01:36:01.200", "CHAPTER10NAME=Chapter 10"));
  writeAndCheckChapters();
  EXPECT_EQ(host.lines.back(), "Chapters info writed to " + dir.path() + "/FEATURE_1.chapters.txt");
}

TEST_F(RealPlaylist, TitleWithoutDeclarationAndNamedChapters) {
  READ_OR_SKIP("VPLST003.XPL", "FEATURE_1.EVO");
  EXPECT_THAT(view.mXPL.front(), StartsWith("    <Title titleNumber=\"1\""));
  EXPECT_THAT(foundLines(), ElementsAre("VC-1.s0 found!", "DD+.s00.English 5.1 found!",
                                        "DD+.s01.Francais 5.1 found!", "DD+.s02.Espanol 5.1 found!",
                                        "AC-3.s03.Feature Commentary 2.0 found!"));
  const std::vector<std::string> expected = {
      "CHAPTER01=00:00:00.000", "CHAPTER01NAME=Count To Ten",
      "CHAPTER02=00:04:02.166", "CHAPTER02NAME=Engagement Party",
      "CHAPTER03=00:12:57.083", "CHAPTER03NAME=Agent Lindsey Farris",
      "CHAPTER04=00:21:16.783", "CHAPTER04NAME=Chopper Chase",
      "CHAPTER05=00:26:30.700", "CHAPTER05NAME=Intelligence",
      "CHAPTER06=00:32:54.500", "CHAPTER06NAME=Trust and Understanding",
      "CHAPTER07=00:39:28.116", "CHAPTER07NAME=The Vatican",
      "CHAPTER08=00:46:53.616", "CHAPTER08NAME=Finding Davian",
      "CHAPTER09=00:51:41.200", "CHAPTER09NAME=Identity Theft",
      "CHAPTER10=00:57:31.416", "CHAPTER10NAME=Dangerous Cargo",
      "CHAPTER11=01:02:05.250", "CHAPTER11NAME=Bridge Attack",
      "CHAPTER12=01:09:02.500", "CHAPTER12NAME=The Tables Turn",
      "CHAPTER13=01:18:14.533", "CHAPTER13NAME=Shanghai",
      "CHAPTER14=01:23:26.366", "CHAPTER14NAME=Skyscraper",
      "CHAPTER15=01:27:26.250", "CHAPTER15NAME=Night Flight",
      "CHAPTER16=01:34:02.366", "CHAPTER16NAME=It's Complicated",
      "CHAPTER17=01:42:37.283", "CHAPTER17NAME=Mobile Navigator",
      "CHAPTER18=01:51:04.166", "CHAPTER18NAME=Point And Shoot",
      "CHAPTER19=01:57:20.783", "CHAPTER19NAME=Mission: Honeymoon",
  };
  EXPECT_THAT(view.mChapter, ElementsAreArray(expected));
  writeAndCheckChapters();
}

TEST_F(RealPlaylist, AdvancedDiscWithUnnamedChaptersAndClosingItemTags) {
  // Items are written as <X ...></X>: the closing tags carry no index and
  // must not land anywhere. Chapters have no displayName at all.
  READ_OR_SKIP("VPLST005.XPL", "L0_mainMovie.EVO");
  EXPECT_EQ(view.VideoAttributeTable[0], "VC-1");
  EXPECT_EQ(view.AudioAttributeTable[0], "DTS-HD");
  EXPECT_EQ(view.AudioAttributeTable[1], "LPCM");
  const std::vector<std::string> tree = treeLines(view.tvXPL);
  EXPECT_THAT(std::vector<std::string>(tree.begin(), tree.begin() + 12),
              ElementsAre("Info", "  Name: mainMovie", "  Duration: 02:30:12:00",
                          "  TimeBase: 60fps", "  TickBase: ", "Video", "  VC-1.s0", "Audio",
                          "  DTS-HD.s00.", "Subtitle", "Chapter", "  00:00:00:00: "));
  EXPECT_EQ(tree.back(), "  02:16:36:47: ");
  const std::vector<std::string> times = {
      "00:00:00.000", "00:03:25.916", "00:07:53.700", "00:14:01.450", "00:22:57.116",
      "00:32:04.416", "00:39:21.200", "00:44:33.750", "00:54:16.200", "01:03:24.450",
      "01:14:29.916", "01:20:56.116", "01:26:46.116", "01:37:01.166", "01:43:09.116",
      "01:49:40.200", "01:57:58.116", "02:03:44.533", "02:11:49.333", "02:16:36.783"};
  std::vector<std::string> expected;
  for (size_t i = 0; i < times.size(); ++i) {
    const std::string number = (i < 9 ? "0" : "") + std::to_string(i + 1);
    expected.push_back("CHAPTER" + number + "=" + times[i]);
    expected.push_back("CHAPTER" + number + "NAME=");
  }
  EXPECT_THAT(view.mChapter, ElementsAreArray(expected));
  EXPECT_EQ(ws.boxes.audio[0].caption, "DTS-HD.s00.");
  EXPECT_FALSE(ws.boxes.subpicture[0].enabled);  // the subtitle tag names no stream
  writeAndCheckChapters();
}

}  // namespace
}  // namespace vantrel
