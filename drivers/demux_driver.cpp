#include "common/path_rules.h"
#include "drivers/demux_outputs.h"
#include "drivers/operations.h"
#include "drivers/unlisted_streams.h"
#include "engine/demux.h"
#include "workspace/title_chain.h"

namespace vantrel {

namespace {

struct PlannedOutput {
  StreamKind kind;
  int slot;
  std::string path;
};

// One output per ticked box, cbVideo0 and cbVideo1 first, then the audio and
// subpicture boxes in order. Captions and extensions may come from a playlist
// or the user: they are made safe so that a name stays in the output folder.
std::vector<PlannedOutput> planOutputs(const Workspace& ws, const std::string& prefix) {
  const DriverOptions& o = ws.options;
  std::vector<PlannedOutput> plan;
  for (StreamKind kind : kStreamKinds) {
    std::span<const StreamBox> boxes = ws.boxes[kind];
    for (size_t slot = 0; slot < boxes.size(); ++slot)
      if (boxes[slot].ticked)
        plan.push_back({kind, int(slot), demuxOutputPath(prefix, boxes[slot].caption, outputExtension(o, kind))});
  }
  return plan;
}

// Why the planned outputs cannot be created, or "".
std::string refusal(const std::vector<PlannedOutput>& plan, const std::vector<std::string>& chain) {
  for (size_t i = 0; i < plan.size(); ++i) {
    const std::string& path = plan[i].path;
    if (isFileOfChain(path, chain)) return outputOverSourceMessage(path);
    // Captions made safe can meet: two streams in one file would be garbage.
    for (size_t j = 0; j < i; ++j)
      if (plan[j].path == path)
        return "Cannot create file \"" + path + "\". Two streams would be written to it.";
  }
  return {};
}

void demuxFile(Workspace& ws, const std::string& path, const PayloadTargets& targets,
               UnlistedStreams& unlisted) {
  Host& host = ws.host;
  const std::string name = fileNamePart(path);
  const std::unique_ptr<InputFile> in = openChainFile(ws, path, "Opening");
  host.log(fileSizeLine(*in));
  host.log("Demuxing " + name);
  host.slog("Demuxing " + name, 0);
  unlisted.startFile(path);
  demux(ws.session, DemuxMode, *in, targets, &unlisted);
}

void demuxChain(Workspace& ws, DemuxOutputs& outputs, const std::vector<std::string>& chain,
                const std::string& prefix, UnlistedStreams& unlisted) {
  const std::vector<PlannedOutput> plan = planOutputs(ws, prefix);
  if (const std::string problem = refusal(plan, chain); !problem.empty()) {
    ws.logError(problem);
    return;
  }
  for (const PlannedOutput& out : plan) outputs.create(out.kind, out.slot, out.path);
  const PayloadTargets targets = outputs.targets(ws.session.options.selection);
  runChain(
      chain, [&ws] { return ws.chainGoesOn(); },
      [&](const std::string& file) { demuxFile(ws, file, targets, unlisted); });
}

}  // namespace

void demuxTitle(Workspace& ws) {
  ProcessingState& st = ws.session.state;
  ws.buttons.demux = ws.buttons.rebuild = false;
  ws.notifyControls();
  ws.host.showPage(0);

  st.FrameCount = {0, 0};
  ws.paths.OutputBaseName =
      chainOutputBaseName(ws.paths.SourceFileName, ws.paths.eEVOfile, ws.options.continueChain);
  st.TitleDuration = 0;
  st.DemuxActive = true;
  // The selection is taken once: boxes ticked later do not open new outputs.
  ws.session.options.selection = ws.boxes.selection();
  ws.session.options.fileKind = fileKindOf(ws.paths.eEVOfile);
  const std::string prefix = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName);

  ws.streamsNotWritten.clear();
  st.BlocksWithoutAngle = 0;
  DemuxOutputs outputs(ws);
  const std::vector<std::string> chain = titleChain(ws.paths.eEVOfile, ws.options.continueChain);
  UnlistedStreams unlisted(ws, outputs, chain, prefix);
  try {
    demuxChain(ws, outputs, chain, prefix, unlisted);
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }
  try {
    outputs.close();
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }

  unlisted.report();
  // Each such block has had its red line; the run failed to give the angle.
  ws.errorsLogged += st.BlocksWithoutAngle;
  ws.logDone();
  logframes(ws);
  ws.buttons.demux = ws.buttons.rebuild = true;
  st.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace vantrel
