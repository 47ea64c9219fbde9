#include "app/Operations.h"

#include <stdexcept>

#include "drivers/operations.h"

#if __has_include("rebuild/rebuild_driver.h")
#include "rebuild/rebuild_driver.h"
#define VANTREL_HAVE_REBUILD 1
#endif
#if __has_include("metadata/playlist_reader.h")
#define VANTREL_HAVE_PLAYLIST 1
#endif
#if __has_include("metadata/chapter_writer.h")
#include "metadata/chapter_writer.h"
#define VANTREL_HAVE_CHAPTERS 1
#endif
#if __has_include("metadata/vti_reader.h")
#include "metadata/vti_reader.h"
#define VANTREL_HAVE_VTI 1
#endif

namespace {

[[noreturn]] void notInThisBuild(const char* operation) {
  throw std::runtime_error(std::string(operation) + " is not part of this build.");
}

}  // namespace

OperationSet defaultOperations() {
  OperationSet ops;
#ifdef VANTREL_HAVE_REBUILD
  ops.readEVO = [](vantrel::Workspace& ws) { vantrel::bReadEVOClick(ws, &vantrel::bRebuildClick); };
  ops.rebuild = [](vantrel::Workspace& ws) { vantrel::bRebuildClick(ws); };
#else
  ops.readEVO = [](vantrel::Workspace& ws) { vantrel::bReadEVOClick(ws, nullptr); };
  ops.rebuild = [](vantrel::Workspace&) { notInThisBuild("Rebuild"); };
#endif
  ops.demux = [](vantrel::Workspace& ws) { vantrel::bDemuxClick(ws); };
#ifdef VANTREL_HAVE_PLAYLIST
  ops.readXPL = [](vantrel::Workspace& ws, vantrel::PlaylistView& view) { vantrel::bReadXPLClick(ws, view); };
#else
  ops.readXPL = [](vantrel::Workspace&, vantrel::PlaylistView&) { notInThisBuild("Read XPL"); };
#endif
#ifdef VANTREL_HAVE_CHAPTERS
  ops.writeChaps = [](vantrel::Workspace& ws, const vantrel::PlaylistView& view) {
    vantrel::bWriteChapsClick(ws, view);
  };
#else
  ops.writeChaps = [](vantrel::Workspace&, const vantrel::PlaylistView&) { notInThisBuild("Write chapters"); };
#endif
#ifdef VANTREL_HAVE_VTI
  ops.readVTI = [](vantrel::Workspace& ws) { vantrel::bReadVTIClick(ws); };
#else
  ops.readVTI = [](vantrel::Workspace&) { notInThisBuild("Read VTI"); };
#endif
  return ops;
}
