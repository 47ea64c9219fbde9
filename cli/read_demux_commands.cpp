#include "cli/commands.h"
#include "drivers/operations.h"
#include "workspace/source_paths.h"

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
  ws.session.options.details = o.details;
  ws.session.options.countFrames = o.countFrames;
  ws.session.options.fastCheck = !o.fullScan;
  ws.session.options.fastSizeMB = o.fastSizeMB;
  ws.session.options.angle = o.angle;
  ws.paths.eEVOfile = source;
  EVOadj(ws.paths, ws.buttons);
}

bool applyStreamChoice(CliContext& context) {
  if (!context.options.streams) return true;
  StreamBoxes& boxes = context.ws.boxes;
  std::vector<bool> video(kVideoSlots), audio(kAudioSlots), sub(kSubpictureSlots);
  bool allFound = true;
  for (const StreamChoice& choice : *context.options.streams) {
    const StreamBox& box = choice.kind == 'v'   ? boxes.video[size_t(choice.slot)]
                           : choice.kind == 'a' ? boxes.audio[size_t(choice.slot)]
                                                : boxes.subpicture[size_t(choice.slot)];
    if (!box.enabled) {
      context.ws.logError(std::string("The title holds no stream ") + choice.kind +
                          std::to_string(choice.slot) + ".");
      allFound = false;
    }
    (choice.kind == 'v' ? video : choice.kind == 'a' ? audio : sub)[size_t(choice.slot)] = true;
  }
  for (int i = 0; i < kVideoBoxes; ++i) boxes.video[size_t(i)].ticked = i < kVideoSlots && video[size_t(i)];
  for (int i = 0; i < kAudioSlots; ++i) boxes.audio[size_t(i)].ticked = audio[size_t(i)];
  for (int i = 0; i < kSubpictureSlots; ++i) boxes.subpicture[size_t(i)].ticked = sub[size_t(i)];
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

int runDemux(CliContext& context) {
  prepareWorkspace(context, context.options.files.at(0));
  readTitle(context);
  if (context.interrupted()) return 1;
  if (!applyStreamChoice(context)) return 1;
  if (context.report) context.report->startWriting();
  demuxTitle(context.ws);
  return context.ws.errorsLogged > 0 ? 1 : 0;
}

}  // namespace vantrel::cli
