// Playlists of real HD DVD discs, read where they lie (never copied).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/path_rules.h"
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

  // The titleTimeBegin codes of the chapters of the title whose clip plays
  // `source`, as Python's own XML parser reads them; nullopt without python3.
  std::optional<std::vector<std::string>> chapterCodesByPython(const std::string& file,
                                                                const std::string& source) {
    if (!testing::haveTool("python3")) return std::nullopt;
    const std::string script = dir.write(
        "codes.py",
        std::string("import sys, xml.etree.ElementTree as E\n"
                    "local = lambda e: e.tag.rsplit('}', 1)[-1]\n"
                    "for t in E.parse(sys.argv[1]).getroot().iter():\n"
                    "  if local(t) != 'Title': continue\n"
                    "  maps = [c.get('src', '').rsplit('/', 1)[-1] for c in t.iter()\n"
                    "          if local(c).endswith('Clip')]\n"
                    "  if sys.argv[2] + '.MAP' in maps:\n"
                    "    for c in t.iter():\n"
                    "      if local(c) == 'Chapter': print(c.get('titleTimeBegin'))\n"
                    "    break\n"));
    std::string out;
    EXPECT_EQ(testing::runCommand("python3 '" + script + "' '" + testing::realSamplesDir() +
                                      "/xpl/" + file + "' '" + CutExt(source) + "'",
                                  &out),
              0);
    std::vector<std::string> codes;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) codes.push_back(line);
    return codes;
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

  // Each chapter at its disc time: a time code counts fields of 59.94 Hz
  // video, (((HH * 60 + MM) * 60 + SS) * 60 + FF) * 1001 / 60000 s.
  const auto codes = chapterCodesByPython(disc.file, disc.source);
  if (!codes) GTEST_SKIP() << "python3 is not installed";
  ASSERT_EQ(codes->size(), disc.chapters);
  for (size_t i = 0; i < codes->size(); ++i) {
    int h = 0, m = 0, sec = 0, f = 0;
    ASSERT_EQ(std::sscanf((*codes)[i].c_str(), "%d:%d:%d:%d", &h, &m, &sec, &f), 4);
    const double seconds = (((h * 60.0 + m) * 60 + sec) * 60 + f) * 1001 / 60000;
    const long ms = std::lround(seconds * 1000);
    char expected[64];
    std::snprintf(expected, sizeof expected, "CHAPTER%02zu=%02ld:%02ld:%02ld.%03ld", i + 1,
                  ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    EXPECT_EQ(view.mChapter[2 * i], expected);
  }
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
  EXPECT_EQ(view.mChapter[2], "CHAPTER02=00:04:42.282");
  EXPECT_EQ(view.mChapter[3], "CHAPTER02NAME=Chapter 2");
}

TEST_F(RealPlaylist, RetailTitleWithChannelsAndSubtitles) {
  READ_OR_SKIP("VPLST001.XPL", "PEVOB_1.EVO");
  const std::vector<std::string> tree = treeLines(view.tvXPL);
  EXPECT_THAT(
      std::vector<std::string>(tree.begin(), tree.begin() + 17),
      ElementsAre("Info", "  Title: Enter the Dragon HD DVD", "  Name: Feature Presentation",
                  "  Duration: 01:42:50:14", "  TimeBase: 60fps", "  TickBase: 60fps", "Video",
                  "  VC-1.s0", "Audio", "  DD+.6ch.s00.English 5.1 [en]",
                  "  DD+.1ch.s01.French 1.0 [fr]", "  DD+.2ch.s02.Spanish 2.0 [es]",
                  "  DD+.2ch.s03.Commentary [en]", "Subtitle", "  8bitRLC.s00.English [en]",
                  "  8bitRLC.s01.English SDH [en]", "  8bitRLC.s02.French [fr]"));
  EXPECT_EQ(ws.boxes.audio[1].hint, "DD+.1ch.s01.French 1.0 [fr]");
  EXPECT_EQ(ws.boxes.audio[1].caption, "DD+.1ch.s01.French 1.0");
  EXPECT_EQ(ws.boxes.subpicture[3].caption, "8bitRLC.s03.Spanish");
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
                          "  DD+.s00.English 5.1 [en]", "Subtitle", "  8bitRLC.s00.English [en]",
                          "Chapter", "  00:00:00:00: Chapter  1", "  00:05:24:57: Chapter  2",
                          "  00:18:27:07: Chapter  3", "  00:30:36:30: Chapter  4",
                          "  00:39:46:05: Chapter  5", "  01:03:21:10: Chapter  6",
                          "  01:09:49:30: Chapter  7", "  01:19:54:30: Chapter  8",
                          "  01:29:31:45: Chapter  9", "  01:36:01:12: Chapter 10"));
  EXPECT_THAT(foundLines(), ElementsAre("VC-1.s0 found!", "DD+.s00.English 5.1 found!",
                                        "8bitRLC.s00.English found!"));
  EXPECT_EQ(view.mChapter[2], "CHAPTER02=00:05:25.275");
  writeAndCheckChapters();
  EXPECT_EQ(host.lines.back(), "Chapters info writed to " + dir.path() + "/FEATURE_1.chapters.txt");
}

TEST_F(RealPlaylist, TitleWithoutDeclarationAndNamedChapters) {
  READ_OR_SKIP("VPLST003.XPL", "FEATURE_1.EVO");
  EXPECT_THAT(view.mXPL.front(), StartsWith("    <Title titleNumber=\"1\""));
  EXPECT_THAT(foundLines(), ElementsAre("VC-1.s0 found!", "DD+.s00.English 5.1 found!",
                                        "DD+.s01.Francais 5.1 found!", "DD+.s02.Espanol 5.1 found!",
                                        "AC-3.s03.Feature Commentary 2.0 found!"));
  EXPECT_EQ(view.mChapter[37], "CHAPTER19NAME=Mission: Honeymoon");
  writeAndCheckChapters();
}

TEST_F(RealPlaylist, ChapterAtTheEndOfALongFeature) {
  // 02:23:40:00 is 8.62 s later on the disc than read as a clock.
  READ_OR_SKIP("VPLST004.XPL", "PEVOB_1.EVO");
  EXPECT_EQ(view.mChapter[56], "CHAPTER29=02:23:48.620");
  EXPECT_EQ(treeLines(view.tvXPL)[10], "  MLP.6ch.s01.English TrueHD [en]");
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
                          "  DTS-HD.s00. [fr]", "Subtitle", "Chapter", "  00:00:00:00: "));
  EXPECT_EQ(tree.back(), "  02:16:36:47: ");
  for (size_t i = 0; i < view.mChapter.size(); i += 2)
    EXPECT_TRUE(view.mChapter[i + 1].ends_with("NAME=")) << i;
  EXPECT_EQ(ws.boxes.audio[0].caption, "DTS-HD.s00.");
  EXPECT_FALSE(ws.boxes.subpicture[0].enabled);  // the subtitle tag names no stream
  writeAndCheckChapters();
}

}  // namespace
}  // namespace vantrel
