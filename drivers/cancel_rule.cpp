#include "drivers/operations.h"

namespace vantrel {

void requestCancel(Workspace& ws) {
  ProcessingState& state = ws.session.state;
  if (!state.DemuxActive) {
    state.CancelRequested = true;
    return;
  }
  if (ws.host.askYesNo("Are you sure to stop demuxing?")) {
    state.CancelRequested = true;
    ws.host.log("Cancelled.");
  }
}

}  // namespace vantrel
