#pragma once

#include <string>

#include "engine/stream_meeting.h"
#include "workspace/workspace.h"

namespace vantrel {

// Reports a stream that a Demux or Rebuild run met but did not write, as it
// had no box (Read EVO did not list it): one red line with where it was
// first met and what would offer it, an entry in ws.streamsNotWritten and a
// call to the observer. `inLastFile`: it was met in the file Read EVO reads.
void reportNotWritten(Workspace& ws, const MetStream& met, bool inLastFile);

}  // namespace vantrel
