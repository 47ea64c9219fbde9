#pragma once

#include "common/file_io.h"
#include "engine/session.h"
#include "engine/stream_meeting.h"
#include "engine/stream_writers.h"

namespace vantrel {

enum EngineMode : int { ScanMode = 0, DemuxMode = 1 };

// One pass of the pack-stream engine over `in`, from its current position to
// its end (or to the fast-check size, or a cancel). ScanMode catalogues and
// reports the streams; DemuxMode appends the payload of the selected streams
// to `targets`, which the driver created and owns, and asks `meeting` about
// a stream that has no target. File-layer errors (a failed read or write)
// are raised as FileError.
void demux(Session& session, EngineMode mode, InputFile& in, const PayloadTargets& targets = {},
           StreamMeeting* meeting = nullptr);

}  // namespace vantrel
