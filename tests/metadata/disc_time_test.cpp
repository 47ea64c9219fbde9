#include "metadata/disc_time.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metadata/chapter_lines.h"

namespace vantrel {
namespace {

// Expected values worked by hand: ticks = ((HH * 60 + MM) * 60 + SS) * 60 + FF,
// milliseconds = ticks * 1001 / 60 rounded half up.
TEST(DiscTime, SixtyFpsTicksLastOneThousandAndFirstSixtiethsOfASecond) {
  const TimeBase sixty = timeBaseOf("60fps");
  EXPECT_EQ(discTimeText("00:00:00:00", sixty), "00:00:00.000");
  EXPECT_EQ(discTimeText("00:05:12:30", sixty), "00:05:12.813");  // 312812.5 ms
  EXPECT_EQ(discTimeText("01:02:03:59", sixty), "01:02:07.707");
  EXPECT_EQ(discTimeText("02:23:40:00", sixty), "02:23:48.620");  // 8.62 s after the code
  EXPECT_EQ(discTimeText("10:00:00:01", sixty), "10:00:36.017");
  EXPECT_EQ(discTimeText("123:00:00:00", sixty), "123:07:22.800");
  EXPECT_EQ(discMilliseconds("00:00:00:01", sixty), 17);  // 16.68
  // Other rates count from their own: 50 Hz video has no 1.001.
  const TimeBase fifty = timeBaseOf("50fps");
  EXPECT_EQ(fifty, (TimeBase{50, false}));
  EXPECT_EQ(discTimeText("00:00:01:25", fifty), "00:00:01.500");
  EXPECT_EQ(discTimeText("01:00:00:00", fifty), "01:00:00.000");
  EXPECT_EQ(timeBaseOf("24fps"), (TimeBase{24, true}));
}

TEST(DiscTime, MissingOrOddTimeBaseIsSixtyFps) {
  for (const char* base : {"", "60", "fps", "0fps", "x60fps", "99999fps"})
    EXPECT_EQ(timeBaseOf(base), (TimeBase{60, true})) << base;
}

TEST(DiscTime, ShortOrOddCodesStillGiveATime) {
  const TimeBase sixty;
  EXPECT_EQ(discTimeText("", sixty), "00:00:00.000");
  EXPECT_EQ(discTimeText("00:00:01", sixty), "00:00:01.001");     // frames missing
  EXPECT_EQ(discTimeText("00:00:02:xx", sixty), "00:00:02.002");  // frames not a number
  EXPECT_EQ(discTimeText("00:00:01:6", sixty), "00:00:01.101");
  EXPECT_EQ(discTimeText("00:00:00:00:99", sixty), "00:00:00.000");
  EXPECT_EQ(discTimeText(std::string(100, 'x'), sixty), "00:00:00.000");
  EXPECT_EQ(discTimeText("9999999999:00:00:00", sixty), "00:00:00.000");  // too long: 0
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
