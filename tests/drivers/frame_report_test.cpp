#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

std::vector<std::string> report(int32_t count0, double rate0, double duration, int32_t count1 = 0,
                                double rate1 = 0) {
  RecordingDriverHost host;
  Workspace ws(host);
  ws.session.state.FrameCount = {count0, count1};
  ws.session.state.VideoFrameRate = {rate0, rate1};
  ws.session.state.TitleDuration = duration;
  logframes(ws);
  return host.lines;
}

TEST(FrameReport, CountedAndCalculatedFrames) {
  EXPECT_EQ(report(3597, 24000.0 / 1001, 150.0),
            (std::vector<std::string>{"3597 counted frames ([b]0:02:30.025[/b]) in video stream 0.",
                                      "3596 calculated frames in video stream 0.", ""}));
}

TEST(FrameReport, CalculatedFramesRoundHalvesToEven) {
  EXPECT_EQ(report(0, 50, 100.25), (std::vector<std::string>{"5012 calculated frames in video stream 0."}));
  EXPECT_EQ(report(0, 50, 100.75), (std::vector<std::string>{"5038 calculated frames in video stream 0."}));
}

TEST(FrameReport, CountWithoutARateAndTheSecondSlot) {
  EXPECT_EQ(report(0, 0, 10, 42, 0), (std::vector<std::string>{"42 frames count in video stream 1.", ""}));
  EXPECT_EQ(report(10, 25, 1, 0, 25),
            (std::vector<std::string>{"10 counted frames ([b]0:00:00.400[/b]) in video stream 0.",
                                      "25 calculated frames in video stream 0.",
                                      "25 calculated frames in video stream 1.", ""}));
  EXPECT_TRUE(report(0, 0, 100).empty());
}

}  // namespace
}  // namespace vantrel::testing
