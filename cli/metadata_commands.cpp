#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "common/file_io.h"
#include "common/path_rules.h"
#include "workspace/source_paths.h"
#include "metadata/chapter_writer.h"
#include "metadata/playlist_reader.h"
#include "metadata/tree_text.h"
#include "metadata/vti_reader.h"

namespace vantrel::cli {

namespace {
// The listing and the tree are document text, not log lines: they are
// printed as they are, never read as markup. With --json they go to
// standard error with the log, leaving standard output to the document.
void printSection(const CliContext& context, const char* heading,
                  const std::vector<std::string>& lines) {
  std::FILE* to = context.report ? stderr : stdout;
  std::string text = std::string("\n") + heading + "\n";
  for (const std::string& line : lines) text += line + "\n";
  std::fwrite(text.data(), 1, text.size(), to);
  std::fflush(to);
}
}  // namespace

int runXpl(CliContext& context) {
  const CliOptions& options = context.options;
  Workspace& ws = context.ws;
  prepareWorkspace(context, options.source);  // the window's source choice, possibly none
  ws.paths.eXPLfile = options.files.at(0);
  XPLadj(ws.paths, ws.buttons);

  PlaylistView view;
  readPlaylist(ws, view, context.report);
  printSection(context, "Playlist:", view.mXPL);
  if (!view.tvXPL.empty()) printSection(context, "Title:", treeLines(view.tvXPL));

  if (options.chapters) {
    if (view.mChapter.empty()) {
      ws.logError(
          options.source.empty()
              ? std::string("--chapters needs --source: the title is found by its source file.")
              : "The playlist holds no chapters for " + fileNamePart(options.source) + ".");
      return 1;
    }
    writeChapterFile(ws, view);
  }
  return ws.errorsLogged > 0 ? 1 : 0;
}

int runVti(CliContext& context) {
  Workspace& ws = context.ws;
  const std::string& given = context.options.files.at(0);
  // A folder, the file itself or a source file beside it: the report reads
  // the HVA00001.VTI of that folder, as the window does for its source.
  std::string folder = folderExists(given) ? given : folderPart(given);
  if (!folder.empty() && !isPathSeparator(folder.back())) folder += kPathSeparator;
  ws.paths.EVOdir = folder;
  ws.options.readVTI = true;
  readTitleSetInfo(ws, context.report);
  if (!fileExists(folder + kVtiFileName)) return 1;
  return ws.errorsLogged > 0 ? 1 : 0;
}

}  // namespace vantrel::cli
