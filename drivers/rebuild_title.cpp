#include <exception>

#include "drivers/operations.h"
#include "rebuild/rebuild_driver.h"

namespace vantrel {

namespace {

// Runs Read EVO over the source, then keeps the user's choice: a box that
// was unticked stays unticked (when none was ticked, every stream found is
// kept). False when the scan did not finish.
bool scanForRebuild(Workspace& ws) {
  const Selection chosen = ws.boxes.selection();
  struct KeepLog {  // the rebuild's report follows the log so far
    bool& autoClear;
    bool saved;
    ~KeepLog() { autoClear = saved; }
  } keepLog{ws.options.autoClear, ws.options.autoClear};
  ws.options.autoClear = false;

  ws.host.log("Rebuild reads the streams of the source first.");
  try {
    scanTitle(ws);
  } catch (const std::exception& error) {
    ws.logError(error.what());
    ws.logDone();
    return false;
  }
  if (ws.session.state.CancelRequested || !catalogueDescribesSource(ws)) {
    ws.logError("Rebuild stopped: the streams of the source were not read to the end.");
    ws.logDone();
    return false;
  }
  if (chosen.any()) {
    for (StreamKind kind : kStreamKinds)
      for (size_t slot = 0; slot < chosen[kind].size(); ++slot)
        ws.boxes[kind][slot].ticked = ws.boxes[kind][slot].ticked && chosen[kind][slot];
    updateOperationButtons(ws.boxes, ws.buttons, ws.paths.eEVOfile);
    ws.notifyControls();
  }
  return true;
}

}  // namespace

void rebuildTitle(Workspace& ws) {
  if (!catalogueDescribesSource(ws) && !scanForRebuild(ws)) return;
  rebuildScannedTitle(ws);
}

}  // namespace vantrel
