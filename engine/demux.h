#pragma once

#include "engine/session.h"

namespace vantrel {

enum EngineMode : int { ScanMode = 0, DemuxMode = 1 };

// One pass of the pack-stream engine over session.state.InputStream, from
// its current position to its end (or to the fast-check size, or a cancel).
// ScanMode catalogues and reports the streams; DemuxMode appends the payload
// of the selected streams to the open outputs. File-layer errors (a failed
// read or write) are raised as FileError.
void demux(Session& session, EngineMode mode);

}  // namespace vantrel
