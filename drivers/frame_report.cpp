#include "common/text_format.h"
#include "drivers/operations.h"

namespace vantrel {

void logframes(Workspace& ws) {
  const ProcessingState& st = ws.session.state;
  for (int i = 0; i < kVideoSlots; ++i) {
    const int32_t count = st.FrameCount[size_t(i)];
    const double rate = st.VideoFrameRate[size_t(i)];
    const std::string stream = " in video stream " + std::to_string(i) + ".";
    if (count > 0) {
      if (rate > 0)
        ws.host.log(std::to_string(count) + " counted frames ([b]" + durationText(count / rate) +
                    "[/b])" + stream);
      else
        ws.host.log(std::to_string(count) + " frames count" + stream);
    }
    if (rate > 0)
      ws.host.log(std::to_string(roundHalfEven(st.TitleDuration * rate)) + " calculated frames" +
                  stream);
  }
  if (st.FrameCount[0] + st.FrameCount[1] > 0) ws.host.log("");
}

}  // namespace vantrel
