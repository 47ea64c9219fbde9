#include "drivers/frame_report.h"

#include "common/text_format.h"
#include "drivers/operations.h"

namespace vantrel {

FrameReport frameReportOf(const ProcessingState& st) {
  FrameReport report;
  report.titleDuration = st.TitleDuration;
  for (int i = 0; i < kVideoSlots; ++i) {
    VideoFrameFacts facts;
    facts.slot = i;
    facts.countedFrames = st.FrameCount[size_t(i)];
    facts.frameRate = st.VideoFrameRate[size_t(i)];
    if (facts.countedFrames <= 0 && facts.frameRate <= 0) continue;
    if (facts.frameRate > 0)
      facts.calculatedFrames = roundHalfEven(st.TitleDuration * facts.frameRate);
    report.video.push_back(facts);
  }
  return report;
}

std::vector<std::string> describeFrameReport(const FrameReport& report) {
  std::vector<std::string> lines;
  bool anyCounted = false;
  for (const VideoFrameFacts& v : report.video) {
    const std::string stream = " in video stream " + std::to_string(v.slot) + ".";
    if (v.countedFrames > 0) {
      anyCounted = true;
      if (v.frameRate > 0)
        lines.push_back(std::to_string(v.countedFrames) + " counted frames ([b]" +
                        durationText(v.countedFrames / v.frameRate) + "[/b])" + stream);
      else
        lines.push_back(std::to_string(v.countedFrames) + " frames count" + stream);
    }
    if (v.frameRate > 0)
      lines.push_back(std::to_string(v.calculatedFrames) + " calculated frames" + stream);
  }
  if (anyCounted) lines.push_back("");
  return lines;
}

void logframes(Workspace& ws) {
  for (const std::string& line : describeFrameReport(frameReportOf(ws.session.state)))
    ws.host.log(line);
}

}  // namespace vantrel
