#include "app/Operations.h"

#include "drivers/operations.h"
#include "metadata/chapter_writer.h"
#include "metadata/playlist_reader.h"
#include "metadata/vti_reader.h"
#include "rebuild/rebuild_driver.h"

OperationSet defaultOperations() {
  OperationSet ops;
  // Read EVO starts Rebuild itself when "Auto Rebuild" is chosen.
  ops.readEVO = [](vantrel::Workspace& ws) { vantrel::bReadEVOClick(ws, &vantrel::bRebuildClick); };
  ops.demux = [](vantrel::Workspace& ws) { vantrel::bDemuxClick(ws); };
  ops.rebuild = [](vantrel::Workspace& ws) { vantrel::bRebuildClick(ws); };
  ops.readXPL = [](vantrel::Workspace& ws, vantrel::PlaylistView& view) {
    vantrel::bReadXPLClick(ws, view);
  };
  ops.writeChaps = [](vantrel::Workspace& ws, const vantrel::PlaylistView& view) {
    vantrel::bWriteChapsClick(ws, view);
  };
  ops.readVTI = [](vantrel::Workspace& ws) { vantrel::bReadVTIClick(ws); };
  return ops;
}
