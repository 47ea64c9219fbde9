#include "handoff/core_operations.h"

#include <algorithm>
#include <utility>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "common/text_format.h"
#include "drivers/operations.h"
#include "drivers/source_paths.h"
#include "drivers/stream_selection.h"

namespace vantrel {

void chooseSource(Workspace& ws, const std::string& path) {
  ws.paths.eEVOfile = path;
  EVOadj(ws.paths, ws.buttons);
}

void readTitleStreams(Workspace& ws) {
  const bool autoDemux = ws.options.autoDemux;
  ws.options.autoDemux = false;
  bReadEVOClick(ws);
  ws.options.autoDemux = autoDemux;
}

void demuxTitleStreams(Workspace& ws) { bDemuxClick(ws); }

const StreamBox& streamBox(const Workspace& ws, StreamKind kind, int slot) {
  switch (kind) {
    case StreamKind::Video:
      return ws.boxes.video[size_t(slot)];
    case StreamKind::Audio:
      return ws.boxes.audio[size_t(slot)];
    case StreamKind::Subpicture:
      break;
  }
  return ws.boxes.subpicture[size_t(slot)];
}

StreamBox& streamBox(Workspace& ws, StreamKind kind, int slot) {
  return const_cast<StreamBox&>(streamBox(std::as_const(ws), kind, slot));
}

std::string captionOf(const FoundStream& stream) {
  switch (stream.kind) {
    case StreamKind::Video:
      return VideoStreamName(int32_t(stream.id)) + "." + std::to_string(stream.slot);
    case StreamKind::Audio:
      return AudioStreamName(int32_t(stream.id)) + "." + zeroPadded(stream.slot, 2);
    case StreamKind::Subpicture:
      break;
  }
  return SubpictureStreamName(int32_t(stream.id)) + "." + zeroPadded(stream.slot, 2);
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
    const int slots = kind == StreamKind::Video ? kVideoSlots : kind == StreamKind::Audio ? kAudioSlots : kSubpictureSlots;
    for (int slot = 0; slot < slots; ++slot) {
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
