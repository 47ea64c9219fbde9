#include "metadata/chapter_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "workspace/source_paths.h"
#include "metadata/playlist_reader.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingDriverHost;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempDir;

const char* const kThreeChapters =
    "<?xml version=\"1.0\"?>\n"
    "<Playlist><TitleSet timeBase=\"60fps\">\n"
    "<Title displayName=\"Feature\" titleDuration=\"01:10:00:00\">\n"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\"/>\n"
    "<ChapterList>\n"
    "<Chapter displayName=\"Chapter 1\" titleTimeBegin=\"00:00:00:00\"/>\n"
    "<Chapter displayName=\"Chapter 2\" titleTimeBegin=\"00:05:12:30\"/>\n"
    "<Chapter displayName=\"Chapter 3\" titleTimeBegin=\"01:02:03:59\"/>\n"
    "</ChapterList></Title></TitleSet></Playlist>\n";

const char* const kThreeChaptersFile =
    "CHAPTER01=00:00:00.000\r\n"
    "CHAPTER01NAME=Chapter 1\r\n"
    "CHAPTER02=00:05:12.813\r\n"
    "CHAPTER02NAME=Chapter 2\r\n"
    "CHAPTER03=01:02:07.707\r\n"
    "CHAPTER03NAME=Chapter 3\r\n";

class WriteChapters : public ::testing::Test {
 protected:
  void SetUp() override {
    ws.paths.eEVOfile = dir.path() + "/HVDVD_TS/FEATURE_1.EVO";
    EVOadj(ws.paths, ws.buttons);
    dir.write("ADV_OBJ/VPLST000.XPL", std::string(kThreeChapters));
    XPLadj(ws.paths, ws.buttons);
    std::filesystem::create_directory(dir.file("out"));
    ws.options.workdir = dir.file("out");
    readPlaylist(ws, view);
    host.lines.clear();
  }

  TempDir dir;
  RecordingDriverHost host;
  Workspace ws{host};
  PlaylistView view;
};

TEST_F(WriteChapters, ThreeChaptersByteForByte) {
  writeChapterFile(ws, view);
  const std::string name = dir.file("out/FEATURE_1.chapters.txt");
  EXPECT_EQ(testing::readFileText(name), kThreeChaptersFile);
  EXPECT_THAT(host.lines, ElementsAre("Chapters info writed to " + name));
  EXPECT_TRUE(ws.buttons.writeChaps);
  ASSERT_GE(host.buttonHistory.size(), 2u);
  EXPECT_FALSE(host.buttonHistory[host.buttonHistory.size() - 2].writeChaps);  // during the write
}

TEST_F(WriteChapters, FolderWithOrWithoutFinalSeparator) {
  const std::string expected = dir.file("out/FEATURE_1.chapters.txt");
  EXPECT_EQ(chapterFileName(ws), expected);
  ws.options.workdir += "/";
  EXPECT_EQ(chapterFileName(ws), expected);
  ws.options.workdir.clear();
  EXPECT_EQ(chapterFileName(ws), "FEATURE_1.chapters.txt");  // the current folder
  ws.paths.OutputBaseName = "FEATURE_1_MERGED";
  EXPECT_EQ(chapterFileName(ws), "FEATURE_1_MERGED.chapters.txt");
}

TEST_F(WriteChapters, WritingTwiceReplacesTheFile) {
  const std::string name = dir.file("out/FEATURE_1.chapters.txt");
  dir.write("out/FEATURE_1.chapters.txt", std::string(10000, 'x'));
  writeChapterFile(ws, view);
  writeChapterFile(ws, view);
  EXPECT_EQ(testing::readFileText(name), kThreeChaptersFile);
  EXPECT_THAT(host.lines,
              ElementsAre("Chapters info writed to " + name, "Chapters info writed to " + name));
}

TEST_F(WriteChapters, MissingFolderRaisesAndLeavesTheButtonUsable) {
  ws.options.workdir = dir.file("no such folder");
  try {
    writeChapterFile(ws, view);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Cannot create file \"" + dir.file("no such folder") +
                                    "/FEATURE_1.chapters.txt\""));
  }
  EXPECT_TRUE(host.lines.empty());
  EXPECT_TRUE(ws.buttons.writeChaps);
  EXPECT_EQ(host.buttonHistory.back(), ws.buttons);
}

TEST_F(WriteChapters, NoChapterLinesWriteNoFile) {
  PlaylistView empty;
  writeChapterFile(ws, empty);
  EXPECT_FALSE(fileExists(dir.file("out/FEATURE_1.chapters.txt")));
  EXPECT_TRUE(host.lines.empty());
}

TEST_F(WriteChapters, MkvmergeReadsTheChapterTimes) {
  if (!testing::haveTool("ffmpeg") || !testing::haveTool("mkvmerge") ||
      !testing::haveTool("mkvextract"))
    GTEST_SKIP() << "ffmpeg, mkvmerge or mkvextract is not installed";
  writeChapterFile(ws, view);
  const std::string chapters = chapterFileName(ws);
  const std::string ac3 = dir.file("tone.ac3");
  const std::string mkv = dir.file("tone.mkv");
  const std::string back = dir.file("back.txt");
  ASSERT_EQ(testing::runCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=1 "
                                "-c:a ac3 '" +
                                ac3 + "' 2>&1"),
            0);
  std::string output;
  ASSERT_EQ(
      testing::runCommand(
          "mkvmerge -o '" + mkv + "' --chapters '" + chapters + "' '" + ac3 + "' 2>&1", &output),
      0)
      << output;
  ASSERT_EQ(
      testing::runCommand("mkvextract '" + mkv + "' chapters -s '" + back + "' 2>&1", &output), 0)
      << output;
  // mkvextract writes the simple format back with plain line feeds.
  std::string expected;
  for (char c : std::string(kThreeChaptersFile))
    if (c != '\r') expected += c;
  EXPECT_EQ(testing::readFileText(back), expected);
}

}  // namespace
}  // namespace vantrel
