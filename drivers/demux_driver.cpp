#include "common/path_rules.h"
#include "drivers/operations.h"
#include "drivers/title_chain.h"
#include "engine/demux.h"

namespace vantrel {

namespace {
constexpr int64_t kMiB = 1'048'576;

struct PlannedOutput {
  std::unique_ptr<OutputFile>* slot;
  std::string path;
};

// One output per ticked box, cbVideo0 and cbVideo1 first, then the audio and
// subpicture boxes in order. Captions and extensions may come from a playlist
// or the user: they are made safe so that a name stays in the output folder.
std::vector<PlannedOutput> planOutputs(Workspace& ws, const std::string& prefix) {
  ProcessingState& st = ws.session.state;
  const DriverOptions& o = ws.options;
  std::vector<PlannedOutput> plan;
  auto name = [&](const StreamBox& box, const std::string& ext) {
    return prefix + "." + safeFileNamePart(box.caption) + "." + safeFileNamePart(ext);
  };
  for (int i = 0; i < kVideoSlots; ++i)
    if (ws.boxes.video[size_t(i)].ticked)
      plan.push_back({&st.VideoOut[size_t(i)], name(ws.boxes.video[size_t(i)], o.videoExt)});
  for (int i = 0; i < kAudioSlots; ++i)
    if (ws.boxes.audio[size_t(i)].ticked)
      plan.push_back({&st.AudioOut[size_t(i)], name(ws.boxes.audio[size_t(i)], o.audioExt)});
  for (int i = 0; i < kSubpictureSlots; ++i)
    if (ws.boxes.subpicture[size_t(i)].ticked)
      plan.push_back({&st.SubpictureOut[size_t(i)], name(ws.boxes.subpicture[size_t(i)], o.subExt)});
  return plan;
}

void demuxChain(Workspace& ws, const std::string& prefix) {
  Host& host = ws.host;
  ProcessingState& st = ws.session.state;
  const std::vector<std::string> chain = titleChain(ws.paths.eEVOfile, ws.options.continueChain);
  const std::vector<PlannedOutput> plan = planOutputs(ws, prefix);
  for (const PlannedOutput& out : plan) {
    if (isFileOfChain(out.path, chain)) {
      ws.logError(outputOverSourceMessage(out.path));
      return;
    }
  }
  for (const PlannedOutput& out : plan) {
    *out.slot = OutputFile::create(out.path);
    host.log("Creating " + out.path);
    ws.outputCreated(**out.slot);
  }
  std::string current = ws.paths.eEVOfile;
  for (;;) {
    const std::string name = fileNamePart(current);
    host.log("Opening file [b]" + name + "[/b]");
    host.slog("Opening", 0);
    st.InputStream = InputFile::open(current);
    host.log("File size: " + std::to_string(st.InputStream->size() / kMiB) + " Mbytes.");
    ws.fileOpened(*st.InputStream);
    host.log("Demuxing " + name);
    host.slog("Demuxing " + name, 0);
    demux(ws.session, DemuxMode);
    st.InputStream.reset();
    current = getnext(current);
    if (current.empty() || !ws.options.continueChain || st.CancelRequested) break;
  }
}
}  // namespace

void bDemuxClick(Workspace& ws) {
  Host& host = ws.host;
  ProcessingState& st = ws.session.state;
  ws.buttons.demux = ws.buttons.rebuild = false;
  ws.notifyControls();
  host.showPage(0);

  st.FrameCount = {0, 0};
  ws.paths.OutputBaseName =
      chainOutputBaseName(ws.paths.SourceFileName, ws.paths.eEVOfile, ws.options.continueChain);
  st.TitleDuration = 0;
  st.DemuxActive = true;
  // The selection is taken once: boxes ticked later do not open new outputs.
  ws.session.options.selection = ws.boxes.selection();
  ws.session.options.fileKind = fileKindOf(ws.paths.eEVOfile);
  const std::string prefix = outputPrefix(ws.options.workdir, ws.paths.OutputBaseName);

  try {
    demuxChain(ws, prefix);
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }
  st.InputStream.reset();
  try {
    st.closeOutputs(ws.session.observer);
  } catch (const std::exception& error) {
    ws.logError(error.what());
  }

  host.log("Done.");
  host.log("");
  host.slog("Ready", 0);
  host.slog("", 1);
  logframes(ws);
  ws.buttons.demux = ws.buttons.rebuild = true;
  st.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace vantrel
