#pragma once

// The core's Read EVO and Demux, and the stream boxes they share, as the
// hand-off uses them: the one place in this layer that names the drivers'
// operations and the layout of the boxes.

#include <string>
#include <vector>

#include "workspace/workspace.h"
#include "engine/stream_report.h"

namespace vantrel {

// Makes `path` the source, as choosing it in the window does.
void chooseSource(Workspace& ws, const std::string& path);

// Read EVO over ws.paths.eEVOfile (and its chain with "Continue with the next
// EVO"), without the automatic follow-up.
void readTitleStreams(Workspace& ws);

// Demux of the ticked streams into ws.options.workdir.
void demuxTitleStreams(Workspace& ws);

// The box of a stream slot.
const StreamBox& streamBox(const Workspace& ws, StreamKind kind, int slot);
StreamBox& streamBox(Workspace& ws, StreamKind kind, int slot);

// The caption a box gives a stream ("DD+.stream.03"), also for a stream the
// catalogue of the last file does not hold.
std::string captionOf(const FoundStream& stream);

// A file Demux wrote for a ticked stream box.
struct DemuxedStream {
  StreamKind kind = StreamKind::Video;
  int slot = 0;
  std::string path;
};

// The files among `created` that Demux named after a stream: a ticked box's
// or one of `met` (streams the catalogue of the last file may not hold).
std::vector<DemuxedStream> demuxedStreams(const Workspace& ws, const std::vector<FoundStream>& met,
                                          const std::vector<std::string>& created);

}  // namespace vantrel
