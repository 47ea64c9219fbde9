#include "common/path_rules.h"
#include "drivers/operations.h"
#include "engine/demux.h"
#include "engine/progress.h"
#include "workspace/title_chain.h"

namespace vantrel {

namespace {

// The buttons Read EVO gives back at its end, also when an error ends it.
void giveButtonsBack(Workspace& ws, bool readXplWasEnabled) {
  ws.buttons.readEVO = true;
  ws.buttons.browseEVO = true;
  ws.buttons.browseXPL = true;
  ws.buttons.readXPL = readXplWasEnabled;
  updateOperationButtons(ws.boxes, ws.buttons, ws.paths.eEVOfile);
  ws.notifyControls();
}

void scanFile(Workspace& ws, const std::string& path) {
  Host& host = ws.host;
  const std::string name = fileNamePart(path);
  if (ws.session.options.details) host.log(".");
  const std::unique_ptr<InputFile> in = openChainFile(ws, path);
  host.log("Reading...");
  host.slog("Reading " + name + " ", 0);
  host.log(fileSizeLine(*in));
  demux(ws.session, ScanMode, *in);
  // The catalogue may then miss streams that begin later: say so.
  if (ws.session.state.ScanLimitReached && in->position() < in->size()) {
    ws.scanStoppedEarly = true;
    host.log("Fast EVO checking stopped after " + std::to_string(in->position() / kMiB) + " of " +
             std::to_string(in->size() / kMiB) + " Mbytes: streams that begin later are not listed.");
  }
}

}  // namespace

void scanTitle(Workspace& ws) {
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
  ws.scanStoppedEarly = false;

  try {
    runChain(
        titleChain(paths.eEVOfile, ws.options.continueChain), [&ws] { return ws.chainGoesOn(); },
        [&ws](const std::string& file) { scanFile(ws, file); });
  } catch (...) {
    // The file that was open is closed; the window stays usable and the
    // front end reports the error.
    host.slog("Ready", 0);
    host.slog("", 1);
    giveButtonsBack(ws, readXplWasEnabled);
    throw;
  }

  LabelStreamBoxes(ws.boxes, st.catalogue());
  ws.catalogueOrigin = CatalogueOrigin::ReadEvo;
  ws.catalogueSource = paths.eEVOfile;
  ws.logDone();
  logframes(ws);
  giveButtonsBack(ws, readXplWasEnabled);
}

}  // namespace vantrel
