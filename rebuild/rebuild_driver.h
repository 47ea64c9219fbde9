#pragma once

#include "drivers/workspace.h"

namespace vantrel {

// Rebuild: writes "<output prefix>.rebuilt.EVO", the source (and with
// "Continue with the next EVO" the rest of its title) with only the packs of
// the ticked streams, renumbered, and the navigation packs adjusted.
void bRebuildClick(Workspace& ws);

}  // namespace vantrel
