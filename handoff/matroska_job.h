#pragma once

// From a disc title to a finished Matroska file: Read EVO over the title,
// Demux of its streams into a work folder, LPCM as WAVE, then mkvmerge with
// the tracks' names, languages and syncs, the chapters and the title.

#include <functional>
#include <optional>
#include <string>

#include "workspace/workspace.h"
#include "handoff/matroska_plan.h"
#include "handoff/title_source.h"

namespace vantrel {

struct MatroskaRequest {
  std::string path;  // disc folder, HVDVD_TS folder, playlist or .EVO file
  std::optional<int> title;
  std::string outputFolder;  // empty: the current folder
  bool keepStreams = false;  // keep the work folder after success
  bool streamsChosen = false;  // the front end ticks the streams itself (afterScan)
  // After Read EVO: the front end may report the scan and change the ticked
  // boxes; false ends the run (the front end said why).
  std::function<bool()> afterScan;
  std::function<void()> beforeDemux;
  // The user asked to stop (Ctrl-C); the core's own Cancel is heard as well.
  std::function<bool()> interrupted;
};

struct MatroskaResult {
  TitleSource source;
  std::optional<MatroskaPlan> plan;
  bool written = false;  // plan->output is complete
  std::string workFolder;
  bool workFolderKept = false;
  std::vector<std::string> warnings;  // mkvmerge's
};

// Runs the whole hand-off over ws (its host logs each step). Every fault is
// one red line through ws.logError: no title to mux, mkvmerge missing, a
// stream that cannot be written, mkvmerge failing. A failed or stopped run
// leaves no .mkv behind and keeps the work folder, which it names.
MatroskaResult makeMatroska(Workspace& ws, const MatroskaRequest& request);

}  // namespace vantrel
