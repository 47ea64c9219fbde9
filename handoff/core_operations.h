#pragma once

// The core's Read EVO and Demux as the hand-off uses them: the one place in
// this layer that names the drivers' operations.

#include <string>
#include <vector>

#include "drivers/workspace.h"
#include "engine/stream_report.h"

namespace vantrel {

// Makes `path` the source, as choosing it in the window does.
void chooseSource(Workspace& ws, const std::string& path);

// Read EVO over ws.paths.eEVOfile (and its chain with "Continue with the next
// EVO"), without the automatic follow-up.
void scanTitle(Workspace& ws);

// Demux of the ticked streams into ws.options.workdir.
void demuxStreams(Workspace& ws);

// A file Demux wrote for a ticked stream box.
struct DemuxedStream {
  StreamKind kind = StreamKind::Video;
  int slot = 0;
  std::string path;
};

// The outputs of the ticked boxes, named as Demux names them, that exist.
std::vector<DemuxedStream> demuxedStreams(const Workspace& ws);

}  // namespace vantrel
