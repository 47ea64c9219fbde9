#include "rebuild/rebuild_driver.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "drivers/title_chain.h"
#include "rebuild/rebuild_engine.h"

namespace vantrel {

namespace {

constexpr int64_t kMiB = 1'048'576;
constexpr const char* kRebuiltSuffix = ".rebuilt.EVO";

// Rebuild matches packs against identifiers that a Read EVO of this very
// source catalogued; after Read XPL the catalogue holds only marks.
bool catalogueDescribesSource(const Workspace& ws) {
  return ws.catalogueOrigin == CatalogueOrigin::ReadEvo &&
         ws.catalogueSource == ws.paths.eEVOfile;
}

std::optional<std::string> refusalOf(const Workspace& ws, const RebuildPlan& plan) {
  if (!catalogueDescribesSource(ws))
    return "[re]Rebuild needs the streams of this source: run Read EVO first.[/re]";
  if (plan.keptVideo() + plan.keptAudio() + plan.keptSubpictures() == 0)
    return "[re]Rebuild needs at least one ticked stream that Read EVO found.[/re]";
  return std::nullopt;
}

void logDone(Host& host) {
  host.log("Done.");
  host.log("");
  host.slog("Ready", 0);
  host.slog("", 1);
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
    host.log(outputOverSourceLine(output));
    return;
  }

  out = OutputFile::create(output);
  host.log("Creating " + output);

  for (const std::string& file : chain) {
    const std::string name = fileNamePart(file);
    host.log("Opening file [b]" + name + "[/b]");
    host.slog("Opening", 0);
    state.InputStream = InputFile::open(file);
    host.log("File size: " + std::to_string(state.InputStream->size() / kMiB) + " Mbytes.");
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

  const RebuildPlan plan = planFromWorkspace(ws);
  if (auto refusal = refusalOf(ws, plan)) {
    // Nothing was started: the window stays as it was.
    host.log(*refusal);
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
    host.log("[re]" + std::string(error.what()) + "[/re]");
  }
  // Whatever ended the run, close what is open and give the window back.
  state.InputStream.reset();
  if (out) {
    try {
      out->close();
    } catch (const FileError& error) {
      host.log("[re]" + std::string(error.what()) + "[/re]");
    }
    out.reset();
  }
  logDone(host);
  ws.buttons.rebuild = true;
  ws.buttons.demux = true;
  state.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace vantrel
