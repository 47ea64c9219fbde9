#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/processing_state.h"

namespace vantrel {

// What the frame count and duration report says about one video slot.
struct VideoFrameFacts {
  int slot = 0;
  int32_t countedFrames = 0;
  double frameRate = 0;          // 0 when no analyzer gave one
  int64_t calculatedFrames = 0;  // title duration x frame rate, when there is a rate
};

struct FrameReport {
  double titleDuration = 0;  // seconds, over the files of the run
  // The slots that have counted frames or a frame rate, in slot order.
  std::vector<VideoFrameFacts> video;
};

FrameReport frameReportOf(const ProcessingState& state);

// "4 counted frames ([b]0:00:00.160[/b]) in video stream 0." and the rest of
// the report's lines.
std::vector<std::string> describeFrameReport(const FrameReport& report);

}  // namespace vantrel
