#pragma once

// The operations of the program over a Workspace. Each runs to its end on
// the calling thread, reports through ws.host, and leaves the boxes and
// buttons of ws as the window shows them afterwards (ws.notifyControls()
// is called whenever they change). Front ends run them on a worker thread
// and call bCancelClick / FormCloseQuery from their user-interface thread.

#include "drivers/workspace.h"

namespace vantrel {

using Operation = void (*)(Workspace&);

// Read EVO: scans the source (and with "Continue with the next EVO" the rest
// of its title), labels the stream boxes, reports frames, then starts the
// automatic follow-up: Demux, or `rebuild` (handed in, since Rebuild lives in
// a layer above this one; nullptr skips it).
void bReadEVOClick(Workspace& ws, Operation rebuild = nullptr);

// Demux: writes every ticked stream of the title to its own file.
void bDemuxClick(Workspace& ws);

// The frame count and duration report.
void logframes(Workspace& ws);

// The Cancel button: at once during a scan; during Demux or Rebuild only
// after "Are you sure to stop demuxing?" is answered Yes (logs "Cancelled.").
void bCancelClick(Workspace& ws);

// The window's close request: true when the window may close.
bool FormCloseQuery(Workspace& ws);

}  // namespace vantrel
