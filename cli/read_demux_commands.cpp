#include "cli/commands.h"

#include <algorithm>

#include "drivers/operations.h"
#include "workspace/source_paths.h"
#include "workspace/title_chain.h"

namespace vantrel::cli {

void prepareWorkspace(CliContext& context, const std::string& source) {
  const CliOptions& o = context.options;
  Workspace& ws = context.ws;
  ws.options.workdir = o.outputFolder;
  if (o.videoExt) ws.options.videoExt = *o.videoExt;
  if (o.audioExt) ws.options.audioExt = *o.audioExt;
  if (o.subExt) ws.options.subExt = *o.subExt;
  ws.options.continueChain = o.continueChain;
  ws.options.rebuildAdvanced = o.advancedPacks;
  ws.options.writeUnlistedStreams = !o.streams;  // no list: every stream met is written
  ws.session.options.details = o.details;
  ws.session.options.countFrames = o.countFrames;
  ws.session.options.fastCheck = !o.fullScan;
  ws.session.options.fastSizeMB = o.fastSizeMB;
  ws.session.options.angle = o.angle;
  ws.paths.eEVOfile = source;
  EVOadj(ws.paths, ws.buttons);
}

namespace {

StreamKind kindOf(const StreamChoice& choice) {
  return choice.kind == 'v' ? StreamKind::Video : choice.kind == 'a' ? StreamKind::Audio : StreamKind::Subpicture;
}

void logAbsent(CliContext& context, const StreamChoice& choice) {
  context.ws.logError(std::string("The title holds no stream ") + choice.kind + std::to_string(choice.slot) + ".");
}

// The scan listed every stream of the title: it read each file to its end
// and the title has one file (the catalogue describes the last file only).
bool scanListedEverything(const Workspace& ws) {
  return !ws.scanStoppedEarly && titleChain(ws.paths.eEVOfile, ws.options.continueChain).size() == 1;
}

}  // namespace

bool applyStreamChoice(CliContext& context, bool deferUnlisted) {
  if (!context.options.streams) return true;
  StreamBoxes& boxes = context.ws.boxes;
  std::vector<bool> video(kVideoSlots), audio(kAudioSlots), sub(kSubpictureSlots);
  bool allFound = true;
  const bool defer = deferUnlisted && !scanListedEverything(context.ws);
  for (const StreamChoice& choice : *context.options.streams) {
    const StreamBox& box = boxes[kindOf(choice)][size_t(choice.slot)];
    if (!box.enabled && !defer) {
      logAbsent(context, choice);
      allFound = false;
    }
    (choice.kind == 'v' ? video : choice.kind == 'a' ? audio : sub)[size_t(choice.slot)] = true;
  }
  // Only a box that holds a stream is ticked: a choice left to the run has none.
  for (int i = 0; i < kVideoBoxes; ++i) boxes.video[size_t(i)].ticked = i < kVideoSlots && video[size_t(i)];
  for (int i = 0; i < kAudioSlots; ++i) boxes.audio[size_t(i)].ticked = audio[size_t(i)];
  for (int i = 0; i < kSubpictureSlots; ++i) boxes.subpicture[size_t(i)].ticked = sub[size_t(i)];
  for (StreamKind kind : kStreamKinds)
    for (StreamBox& box : boxes[kind]) box.ticked = box.ticked && box.enabled;
  updateOperationButtons(boxes, context.ws.buttons, context.ws.paths.eEVOfile);
  return allFound;
}

void readTitle(CliContext& context) {
  scanTitle(context.ws);
  if (context.report) context.report->readFinished(context.ws);
}

int runRead(CliContext& context) {
  prepareWorkspace(context, context.options.files.at(0));
  readTitle(context);
  return context.ws.errorsLogged > 0 ? 1 : 0;
}

// A chosen stream that had no box was left to the demux run: it failed when
// the run met it without writing it (its red line says so) or never met it.
bool chosenStreamsWritten(CliContext& context) {
  if (!context.options.streams) return true;
  bool written = true;
  for (const StreamChoice& choice : *context.options.streams) {
    const StreamKind kind = kindOf(choice);
    if (context.ws.boxes[kind][size_t(choice.slot)].enabled) continue;
    written = false;
    const bool met = std::ranges::any_of(context.ws.streamsNotWritten, [&](const MetStream& m) {
      return m.stream.kind == kind && m.stream.slot == choice.slot;
    });
    if (!met)
      logAbsent(context, choice);
    else
      context.ws.logError(std::string("The stream ") + choice.kind + std::to_string(choice.slot) +
                          " was met but not written: Read EVO did not list it.");
  }
  return written;
}

int runDemux(CliContext& context) {
  prepareWorkspace(context, context.options.files.at(0));
  readTitle(context);
  if (context.interrupted()) return 1;
  if (!applyStreamChoice(context, true)) return 1;
  if (context.report) context.report->startWriting();
  demuxTitle(context.ws);
  const bool written = chosenStreamsWritten(context);
  return context.ws.errorsLogged > 0 || !written ? 1 : 0;
}

}  // namespace vantrel::cli
