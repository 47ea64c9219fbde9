#include "drivers/operations.h"

namespace vantrel {

void bCancelClick(Workspace& ws) {
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

bool FormCloseQuery(Workspace& ws) {
  ProcessingState& state = ws.session.state;
  if (state.DemuxActive) {
    bCancelClick(ws);
    return state.CancelRequested;
  }
  state.CancelRequested = true;
  return true;
}

}  // namespace vantrel
