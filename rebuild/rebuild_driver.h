#pragma once

#include "workspace/workspace.h"

namespace vantrel {

// True when the stream catalogue is the one a Read EVO of the current source
// left: packs are matched against its identifiers.
bool catalogueDescribesSource(const Workspace& ws);

// Rebuild of a source whose streams the catalogue describes: writes
// "<output prefix>.rebuilt.EVO", the source (and with "Continue with the
// next EVO" the rest of its title) with only the packs of the ticked
// streams, renumbered, and the navigation packs adjusted.
void rebuildScannedTitle(Workspace& ws);

}  // namespace vantrel
