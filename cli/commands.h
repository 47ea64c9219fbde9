#pragma once

#include "cli/cli_options.h"
#include "cli/json_report.h"
#include "cli/terminal_host.h"
#include "workspace/workspace.h"

namespace vantrel::cli {

// What a command works with.
struct CliContext {
  const CliOptions& options;
  TerminalHost& host;
  Workspace& ws;
  // True once Ctrl-C was pressed: no further operation is started.
  bool (*interrupted)();
  // With --json: the report that collects the run's facts.
  JsonReport* report = nullptr;
};

// Each returns the exit status (0, or 1 after an error).
int runRead(CliContext& context);
int runDemux(CliContext& context);
int runRebuild(CliContext& context);  // Read EVO, then Rebuild of the chosen streams
int runXpl(CliContext& context);      // Read XPL, optionally Write chapters
int runVti(CliContext& context);      // Read VTI
int runTitles(CliContext& context);   // every title of a disc's playlists
int runMkv(CliContext& context);      // a title as a Matroska file, by mkvmerge

// Chooses the source file as the window does and copies the options.
void prepareWorkspace(CliContext& context, const std::string& source);

// Read EVO over the chosen source, with the report told when it finished.
void readTitle(CliContext& context);

// Leaves only the chosen streams ticked; reports each choice the title does
// not hold and returns false then. With `deferUnlisted`, a choice without a
// box is left to the writing run when the scan may not have listed every
// stream (it stopped at the fast-check size, or the title has several files).
bool applyStreamChoice(CliContext& context, bool deferUnlisted = false);

}  // namespace vantrel::cli
