#include "handoff/core_operations.h"

#include "common/file_io.h"
#include "common/path_rules.h"
#include "drivers/operations.h"
#include "drivers/source_paths.h"

namespace vantrel {

void chooseSource(Workspace& ws, const std::string& path) {
  ws.paths.eEVOfile = path;
  EVOadj(ws.paths, ws.buttons);
}

void scanTitle(Workspace& ws) {
  const bool autoDemux = ws.options.autoDemux;
  ws.options.autoDemux = false;
  bReadEVOClick(ws);
  ws.options.autoDemux = autoDemux;
}

void demuxStreams(Workspace& ws) { bDemuxClick(ws); }

std::vector<DemuxedStream> demuxedStreams(const Workspace& ws) {
  const std::string prefix = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName);
  std::vector<DemuxedStream> streams;
  auto add = [&](StreamKind kind, int slot, const StreamBox& box, const std::string& ext) {
    const std::string path =
        prefix + "." + safeFileNamePart(box.caption) + "." + safeFileNamePart(ext);
    if (box.ticked && fileExists(path)) streams.push_back({kind, slot, path});
  };
  for (int i = 0; i < kVideoSlots; ++i)
    add(StreamKind::Video, i, ws.boxes.video[size_t(i)], ws.options.videoExt);
  for (int i = 0; i < kAudioSlots; ++i)
    add(StreamKind::Audio, i, ws.boxes.audio[size_t(i)], ws.options.audioExt);
  for (int i = 0; i < kSubpictureSlots; ++i)
    add(StreamKind::Subpicture, i, ws.boxes.subpicture[size_t(i)], ws.options.subExt);
  return streams;
}

}  // namespace vantrel
