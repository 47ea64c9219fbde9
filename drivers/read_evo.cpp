#include "common/path_rules.h"
#include "drivers/operations.h"
#include "drivers/title_chain.h"
#include "engine/demux.h"

namespace vantrel {

namespace {
constexpr int64_t kMiB = 1'048'576;

// The buttons Read EVO gives back at its end, also when an error ends it.
void giveButtonsBack(Workspace& ws, bool readXplWasEnabled) {
  ws.buttons.readEVO = true;
  ws.buttons.browseEVO = true;
  ws.buttons.browseXPL = true;
  ws.buttons.readXPL = readXplWasEnabled;
  cbVideoClick(ws.boxes, ws.buttons, ws.paths.eEVOfile);
  ws.notifyControls();
}
}  // namespace

void bReadEVOClick(Workspace& ws, Operation rebuild) {
  Host& host = ws.host;
  ProcessingState& st = ws.session.state;
  SourcePaths& paths = ws.paths;

  if (ws.options.autoClear) host.clearLog();
  const bool readXplWasEnabled = ws.buttons.readXPL;
  ws.buttons.readEVO = ws.buttons.readXPL = ws.buttons.demux = ws.buttons.rebuild = false;
  ws.buttons.browseEVO = ws.buttons.browseXPL = false;
  Resetcbs(ws.boxes, ws.buttons, paths.eEVOfile);
  ws.notifyControls();
  host.showPage(0);

  st.FrameCount = {0, 0};
  st.MinFirstPts = kNoFirstPts;
  st.FirstVideoPtm = 0;
  st.TitleDuration = 0;
  paths.OutputBaseName =
      chainOutputBaseName(paths.SourceFileName, paths.eEVOfile, ws.options.continueChain);
  ws.session.options.fileKind = fileKindOf(paths.eEVOfile);
  ws.catalogueOrigin = CatalogueOrigin::None;

  std::string current = paths.eEVOfile;
  try {
    for (;;) {
      const std::string name = fileNamePart(current);
      if (ws.session.options.details) host.log(".");
      host.log("Opening file [b]" + name + "[/b]");
      st.InputStream = InputFile::open(current);
      host.log("Reading...");
      host.slog("Reading " + name + " ", 0);
      host.log("File size: " + std::to_string(st.InputStream->size() / kMiB) + " Mbytes.");
      ws.fileOpened(*st.InputStream);
      demux(ws.session, ScanMode);
      st.InputStream.reset();
      current = getnext(current);
      if (current.empty() || !ws.options.continueChain || st.CancelRequested) break;
    }
  } catch (...) {
    // The file that is open is closed; the window stays usable and the
    // front end reports the error.
    st.InputStream.reset();
    host.slog("Ready", 0);
    host.slog("", 1);
    giveButtonsBack(ws, readXplWasEnabled);
    throw;
  }

  LabelStreamBoxes(ws.boxes, st.VideoStreamId, st.AudioStreamId, st.SubpictureStreamId);
  ws.catalogueOrigin = CatalogueOrigin::ReadEvo;
  ws.catalogueSource = paths.eEVOfile;
  host.log("Done.");
  host.log("");
  host.slog("Ready", 0);
  host.slog("", 1);
  logframes(ws);
  giveButtonsBack(ws, readXplWasEnabled);

  if (ws.options.autoDemux)
    bDemuxClick(ws);
  else if (ws.options.autoRebuild && rebuild)
    rebuild(ws);
}

}  // namespace vantrel
