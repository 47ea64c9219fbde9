#include "rebuild/rebuild_driver.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "drivers/operations.h"
#include "drivers/title_chain.h"
#include "rebuild/rebuild_engine.h"

namespace vantrel {

namespace {

constexpr int64_t kMiB = 1'048'576;
constexpr const char* kRebuiltSuffix = ".rebuilt.EVO";

bool catalogueDescribesSource(const Workspace& ws) {
  return ws.catalogueOrigin == CatalogueOrigin::ReadEvo &&
         ws.catalogueSource == ws.paths.eEVOfile;
}

void logDone(Host& host) {
  host.log("Done.");
  host.log("");
  host.slog("Ready", 0);
  host.slog("", 1);
}

// Runs Read EVO over the source without its automatic follow-ups, then keeps
// the user's choice: a box that was unticked stays unticked (when none was
// ticked, every stream found is kept). False when the scan did not finish.
bool scanSource(Workspace& ws) {
  const Selection chosen = ws.boxes.selection();
  const bool anyChosen = chosen.any();
  struct Restore {
    DriverOptions& options;
    DriverOptions saved;
    ~Restore() {
      options.autoDemux = saved.autoDemux;
      options.autoRebuild = saved.autoRebuild;
      options.autoClear = saved.autoClear;
    }
  } restore{ws.options, ws.options};
  ws.options.autoDemux = ws.options.autoRebuild = ws.options.autoClear = false;

  ws.host.log("Rebuild reads the streams of the source first.");
  try {
    bReadEVOClick(ws, nullptr);
  } catch (const std::exception& error) {
    ws.logError(error.what());
    logDone(ws.host);
    return false;
  }
  if (ws.session.state.CancelRequested || !catalogueDescribesSource(ws)) {
    ws.logError("Rebuild stopped: the streams of the source were not read to the end.");
    logDone(ws.host);
    return false;
  }
  if (anyChosen) {
    for (int i = 0; i < kVideoSlots; ++i) ws.boxes.video[size_t(i)].ticked &= chosen.video[size_t(i)];
    for (int i = 0; i < kAudioSlots; ++i) ws.boxes.audio[size_t(i)].ticked &= chosen.audio[size_t(i)];
    for (int i = 0; i < kSubpictureSlots; ++i)
      ws.boxes.subpicture[size_t(i)].ticked &= chosen.subpicture[size_t(i)];
    cbVideoClick(ws.boxes, ws.buttons, ws.paths.eEVOfile);
    ws.notifyControls();
  }
  return true;
}

// Names and creates the output, then rebuilds every file of the chain into
// it. Returns early, with the reason logged, when the output would replace a
// source file.
void rebuildTitle(Workspace& ws, const RebuildPlan& plan, Renumbering& numbers,
                  std::unique_ptr<OutputFile>& out) {
  ProcessingState& state = ws.session.state;
  Host& host = ws.host;
  const std::string source = ws.paths.eEVOfile;
  const bool follow = ws.options.continueChain;
  const std::string sourceName =
      ws.paths.SourceFileName.empty() ? fileNamePart(source) : ws.paths.SourceFileName;

  ws.paths.OutputBaseName = chainOutputBaseName(sourceName, source, follow);
  const std::string output = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName) + kRebuiltSuffix;
  // The chain is fixed before the output exists, so the run reads exactly
  // the files that were checked against it.
  const std::vector<std::string> chain = titleChain(source, follow);
  if (isFileOfChain(output, chain)) {
    ws.logError(outputOverSourceMessage(output));
    return;
  }

  out = OutputFile::create(output);
  host.log("Creating " + output);
  ws.outputCreated(*out);

  for (const std::string& file : chain) {
    const std::string name = fileNamePart(file);
    host.log("Opening file [b]" + name + "[/b]");
    host.slog("Opening", 0);
    state.InputStream = InputFile::open(file);
    host.log("File size: " + std::to_string(state.InputStream->size() / kMiB) + " Mbytes.");
    ws.fileOpened(*state.InputStream);
    host.log("Rebuilding...");
    host.slog("Rebuilding " + name, 0);
    Rebuild(ws, plan, numbers, *out);
    state.InputStream.reset();
    if (state.CancelRequested) break;
  }
}

}  // namespace

void bRebuildClick(Workspace& ws) {
  ProcessingState& state = ws.session.state;
  Host& host = ws.host;

  // Packs are matched against identifiers that a Read EVO of this very
  // source catalogued; after Read XPL the catalogue holds only marks.
  if (!catalogueDescribesSource(ws) && !scanSource(ws)) return;
  const RebuildPlan plan = planFromWorkspace(ws);
  if (plan.keptVideo() + plan.keptAudio() + plan.keptSubpictures() == 0) {
    // Nothing was started: the window stays as it was.
    ws.logError("Rebuild needs at least one ticked stream that Read EVO found.");
    logDone(host);
    return;
  }

  ws.buttons.demux = false;
  ws.buttons.rebuild = false;
  ws.notifyControls();
  host.showPage(0);
  state.DemuxActive = true;

  // Numbers are given before the first pack, so that packs of a kept stream
  // ahead of the first navigation pack already carry the new number.
  Renumbering numbers;
  assignNumbers(plan, numbers, host);

  std::unique_ptr<OutputFile> out;
  try {
    rebuildTitle(ws, plan, numbers, out);
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }
  // Whatever ended the run, close what is open and give the window back.
  state.InputStream.reset();
  if (out) {
    try {
      out->close();
    } catch (const FileError& error) {
      ws.logError(error.what());
    }
    ws.outputClosed(*out);
    out.reset();
  }
  logDone(host);
  ws.buttons.rebuild = true;
  ws.buttons.demux = true;
  state.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace vantrel
