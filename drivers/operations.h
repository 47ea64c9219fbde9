#pragma once

// The operations of the program over a Workspace. Each runs to its end on
// the calling thread, reports through ws.host, and leaves the boxes and
// buttons of ws as the window shows them afterwards (ws.notifyControls()
// is called whenever they change). The window's button handlers and the
// command line call them; front ends run them on a worker thread and call
// requestCancel from their user-interface thread. Starting one operation
// after another ("Auto Demux") is the front end's choice.

#include "workspace/workspace.h"

namespace vantrel {

// Read EVO: scans the source (and with "Continue with the next EVO" the rest
// of its title), labels the stream boxes and reports frames.
void scanTitle(Workspace& ws);

// Demux: writes every ticked stream of the title to its own file.
void demuxTitle(Workspace& ws);

// Rebuild: reads the streams of the source first when the catalogue does
// not describe it (after Read XPL, or a scan of another source), keeping
// the user's ticks; then writes the rebuilt title.
void rebuildTitle(Workspace& ws);

// The frame count and duration report.
void logframes(Workspace& ws);

// Cancel: at once during a scan; during Demux or Rebuild only after "Are
// you sure to stop demuxing?" is answered Yes (logs "Cancelled.").
void requestCancel(Workspace& ws);

}  // namespace vantrel
