#pragma once

#include <string>

#include "workspace/workspace.h"
#include "metadata/playlist_view.h"

namespace vantrel {

// The chapter file of the current source: the output folder followed by
// OutputBaseName and ".chapters.txt".
std::string chapterFileName(const Workspace& ws);

// Write chapters: saves view.mChapter, each line ended by CR LF, replacing
// the chapter file, and logs "Chapters info writed to <name>". Without
// chapter lines nothing is written. A file error ends the run with
// FileError; the button is enabled again so that the user can retry after
// fixing the folder.
void writeChapterFile(Workspace& ws, const PlaylistView& view);

}  // namespace vantrel
