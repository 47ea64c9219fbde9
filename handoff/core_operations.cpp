#include "handoff/core_operations.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "common/text_format.h"
#include "drivers/operations.h"
#include "workspace/source_paths.h"
#include "workspace/stream_boxes.h"

namespace vantrel {

void chooseSource(Workspace& ws, const std::string& path) {
  ws.paths.eEVOfile = path;
  EVOadj(ws.paths, ws.buttons);
}

void readTitleStreams(Workspace& ws) { scanTitle(ws); }

void demuxTitleStreams(Workspace& ws) { demuxTitle(ws); }

const StreamBox& streamBox(const Workspace& ws, StreamKind kind, int slot) {
  return ws.boxes[kind][size_t(slot)];
}

StreamBox& streamBox(Workspace& ws, StreamKind kind, int slot) { return ws.boxes[kind][size_t(slot)]; }

std::string captionOf(const FoundStream& stream) {
  return streamCaption(stream.kind, int32_t(stream.id), stream.slot);
}

std::vector<DemuxedStream> demuxedStreams(const Workspace& ws, const std::vector<FoundStream>& met,
                                          const std::vector<std::string>& created) {
  const std::string prefix = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName);
  auto pathOf = [&](const std::string& caption, StreamKind kind) {
    const std::string& ext = kind == StreamKind::Video   ? ws.options.videoExt
                             : kind == StreamKind::Audio ? ws.options.audioExt
                                                         : ws.options.subExt;
    return prefix + "." + safeFileNamePart(caption) + "." + safeFileNamePart(ext);
  };
  auto wasCreated = [&](const std::string& path) {
    return std::find(created.begin(), created.end(), path) != created.end();
  };
  std::vector<DemuxedStream> streams;
  for (StreamKind kind : {StreamKind::Video, StreamKind::Audio, StreamKind::Subpicture}) {
    for (int slot = 0; slot < int(ws.boxes[kind].size()); ++slot) {
      std::vector<std::string> names;
      if (streamBox(ws, kind, slot).ticked) names.push_back(pathOf(streamBox(ws, kind, slot).caption, kind));
      for (const FoundStream& stream : met)
        if (stream.kind == kind && stream.slot == slot) names.push_back(pathOf(captionOf(stream), kind));
      for (const std::string& path : names) {
        if (!wasCreated(path)) continue;
        streams.push_back({kind, slot, path});
        break;
      }
    }
  }
  return streams;
}

}  // namespace vantrel
