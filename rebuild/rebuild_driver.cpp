#include "rebuild/rebuild_driver.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "rebuild/rebuild_engine.h"
#include "workspace/title_chain.h"
#include "workspace/unwritten_streams.h"

namespace vantrel {

namespace {

constexpr const char* kRebuiltSuffix = ".rebuilt.EVO";

void rebuildFile(Workspace& ws, const std::string& path, const RebuildPlan& plan,
                 RebuildRun& run, OutputFile& out) {
  Host& host = ws.host;
  const std::string name = fileNamePart(path);
  const std::unique_ptr<InputFile> in = openChainFile(ws, path, "Opening");
  host.log(fileSizeLine(*in));
  host.log("Rebuilding...");
  host.slog("Rebuilding " + name, 0);
  Rebuild(ws, *in, plan, run, out);
}

// Names and creates the output, then rebuilds every file of the chain into
// it. Returns early, with the reason logged, when the output would replace a
// source file.
void rebuildChain(Workspace& ws, const RebuildPlan& plan, RebuildRun& run,
                  std::unique_ptr<OutputFile>& out) {
  const std::string source = ws.paths.eEVOfile;
  const bool follow = ws.options.continueChain;
  const std::string sourceName =
      ws.paths.SourceFileName.empty() ? fileNamePart(source) : ws.paths.SourceFileName;

  ws.paths.OutputBaseName = chainOutputBaseName(sourceName, source, follow);
  const std::string output =
      outputPrefix(ws.options.workdir, ws.paths.OutputBaseName) + kRebuiltSuffix;
  // The chain is fixed before the output exists, so the run reads exactly
  // the files that were checked against it.
  const std::vector<std::string> chain = titleChain(source, follow);
  run.lastFile = chain.back();
  if (isFileOfChain(output, chain)) {
    ws.logError(outputOverSourceMessage(output));
    return;
  }

  out = OutputFile::create(output);
  ws.host.log("Creating " + output);
  ws.outputCreated(*out);
  runChain(
      chain, [&ws] { return ws.chainGoesOn(); },
      [&](const std::string& file) { rebuildFile(ws, file, plan, run, *out); });
  finishRebuild(run, *out);
}

// Why a run that ended normally wrote nothing of use ("" when it did).
std::string nothingMatched(const Workspace& ws, const RebuildRun& run) {
  const std::string source = fileNamePart(ws.paths.eEVOfile);
  if (run.hdDvdPacks == 0)
    return "Rebuild wrote nothing: no pack of " + source +
           " has the HD DVD pack layout (a DVD .VOB, or a file that does not start on a pack "
           "boundary).";
  if (run.streamPacks == 0)
    return "Rebuild wrote nothing: no pack of the ticked streams was found in " + source + ".";
  return "";
}

void closeOutput(Workspace& ws, std::unique_ptr<OutputFile>& out) {
  if (!out) return;
  try {
    out->close();
  } catch (const FileError& error) {
    ws.logError(error.what());
  }
  ws.outputClosed(*out);
  out.reset();
}

void removeOutput(Workspace& ws, const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  ws.outputRemoved(path);
}

}  // namespace

bool catalogueDescribesSource(const Workspace& ws) {
  return ws.catalogueOrigin == CatalogueOrigin::ReadEvo && ws.catalogueSource == ws.paths.eEVOfile;
}

void rebuildScannedTitle(Workspace& ws) {
  ProcessingState& state = ws.session.state;
  ws.streamsNotWritten.clear();
  state.BlocksWithoutAngle = 0;
  const RebuildPlan plan = planFromWorkspace(ws);
  if (plan.keptTotal() == 0) {
    // Nothing was started: the window stays as it was.
    ws.logError("Rebuild needs at least one ticked stream that Read EVO found.");
    ws.logDone();
    return;
  }

  ws.buttons.demux = false;
  ws.buttons.rebuild = false;
  ws.notifyControls();
  ws.host.showPage(0);
  state.DemuxActive = true;

  // Numbers are given before the first pack, so that packs of a kept stream
  // ahead of the first navigation pack already carry the new number.
  RebuildRun run;
  assignNumbers(plan, run.numbers, ws.host);

  std::unique_ptr<OutputFile> out;
  std::string failure;
  try {
    rebuildChain(ws, plan, run, out);
    if (out && !state.CancelRequested) failure = nothingMatched(ws, run);
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }
  // Whatever ended the run, close what is open and give the window back.
  const std::string output = out ? out->path() : "";
  closeOutput(ws, out);
  if (!failure.empty()) {
    removeOutput(ws, output);
    ws.logError(failure);
  }
  for (const MetStream& met : run.notWritten) reportNotWritten(ws, met, met.file == run.lastFile);
  ws.errorsLogged += state.BlocksWithoutAngle;  // each had its red line
  ws.logDone();
  ws.buttons.rebuild = true;
  ws.buttons.demux = true;
  state.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace vantrel
