#include "metadata/chapter_lines.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ChapterTime, FramesAreSixtiethsOfASecond) {
  EXPECT_EQ(chapterTime("00:00:00:00"), "00:00:00.000");
  EXPECT_EQ(chapterTime("00:05:12:30"), "00:05:12.500");
  EXPECT_EQ(chapterTime("01:02:03:59"), "01:02:03.983");
  EXPECT_EQ(chapterTime("10:00:00:01"), "10:00:00.016");
}

TEST(ChapterTime, ShortOrOddCodesStillGiveATime) {
  EXPECT_EQ(chapterTime(""), ".000");
  EXPECT_EQ(chapterTime("00:05"), "00:05.000");
  EXPECT_EQ(chapterTime("00:00:01"), "00:00:01.000");
  EXPECT_EQ(chapterTime("00:00:01:"), "00:00:01.000");
  EXPECT_EQ(chapterTime("00:00:01:6"), "00:00:01.100");  // the one digit there
  EXPECT_EQ(chapterTime("00:00:01:xx"), "00:00:01.000");
  EXPECT_EQ(chapterTime("00:00:01:-5"), "00:00:01.000");
  EXPECT_EQ(chapterTime("00:00:01:300"), "00:00:01.500");  // only two frame digits count
}

TEST(ChapterLines, NumberedWithAtLeastTwoDigits) {
  std::vector<std::string> lines;
  appendChapterLines(lines, 1, "00:00:00.000", "Intro");
  appendChapterLines(lines, 10, "00:10:00.000", "");
  appendChapterLines(lines, 100, "01:40:00.000", "Last");
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "CHAPTER01=00:00:00.000",
                       "CHAPTER01NAME=Intro",
                       "CHAPTER10=00:10:00.000",
                       "CHAPTER10NAME=",
                       "CHAPTER100=01:40:00.000",
                       "CHAPTER100NAME=Last",
                   }));
}

}  // namespace
}  // namespace vantrel
