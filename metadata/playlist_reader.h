#pragma once

#include "workspace/workspace.h"
#include "metadata/metadata_observer.h"
#include "metadata/playlist_view.h"

namespace vantrel {

// Read XPL: reads the playlist named by ws.paths.eXPLfile, lists every tag
// in view.mXPL, keeps the title that plays ws.paths.eEVOfile, shows it in
// view.tvXPL, marks its tracks in the catalogue, captions and ticks the
// stream boxes after them and prepares the chapter lines in view.mChapter.
// A file error ends the run with FileError after closing the file and
// giving the buttons back. `observer`, when given, hears what was parsed.
void readPlaylist(Workspace& ws, PlaylistView& view, MetadataObserver* observer = nullptr);

}  // namespace vantrel
