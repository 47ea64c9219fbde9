#include "app/Operations.h"

#include "drivers/operations.h"
#include "metadata/chapter_writer.h"
#include "metadata/playlist_reader.h"
#include "metadata/vti_reader.h"

namespace {

// Read EVO, then the follow-up chosen on the Options page.
void readEvoAndFollowUp(vantrel::Workspace& ws) {
  vantrel::scanTitle(ws);
  if (ws.options.autoDemux)
    vantrel::demuxTitle(ws);
  else if (ws.options.autoRebuild)
    vantrel::rebuildTitle(ws);
}

}  // namespace

OperationSet defaultOperations() {
  OperationSet ops;
  ops.readEVO = readEvoAndFollowUp;
  ops.demux = vantrel::demuxTitle;
  ops.rebuild = vantrel::rebuildTitle;
  ops.readXPL = [](vantrel::Workspace& ws, vantrel::PlaylistView& view) {
    vantrel::readPlaylist(ws, view);
  };
  ops.writeChaps = vantrel::writeChapterFile;
  ops.readVTI = [](vantrel::Workspace& ws) { vantrel::readTitleSetInfo(ws); };
  return ops;
}
