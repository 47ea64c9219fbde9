#pragma once

#include "workspace/workspace.h"

namespace vantrel {

// The source path in paths.eEVOfile changed: derive the source name, the
// output base name and the source folder; for a source in a folder
// "HVDVD_TS/" derive the playlist path in "ADV_OBJ/" beside it.
void EVOadj(SourcePaths& paths, OperationButtons& buttons);

// The playlist path in paths.eXPLfile changed: derive the playlist name and
// folder; for a playlist in "ADV_OBJ/" point the source folder at
// "HVDVD_TS/" beside it.
void XPLadj(SourcePaths& paths, OperationButtons& buttons);

}  // namespace vantrel
