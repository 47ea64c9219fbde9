#include "handoff/core_operations.h"

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

std::vector<DemuxedStream> demuxedStreams(const Workspace& ws) {
  const std::string prefix = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName);
  std::vector<DemuxedStream> streams;
  auto add = [&](StreamKind kind, int slots, const std::string& ext) {
    for (int slot = 0; slot < slots; ++slot) {
      const StreamBox& box = streamBox(ws, kind, slot);
      const std::string path =
          prefix + "." + safeFileNamePart(box.caption) + "." + safeFileNamePart(ext);
      if (box.ticked && fileExists(path)) streams.push_back({kind, slot, path});
    }
  };
  add(StreamKind::Video, kVideoSlots, ws.options.videoExt);
  add(StreamKind::Audio, kAudioSlots, ws.options.audioExt);
  add(StreamKind::Subpicture, kSubpictureSlots, ws.options.subExt);
  return streams;
}

}  // namespace vantrel
