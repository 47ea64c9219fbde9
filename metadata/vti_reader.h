#pragma once

#include <string>

#include "workspace/workspace.h"
#include "metadata/metadata_observer.h"

namespace vantrel {

inline constexpr char kVtiFileName[] = "HVA00001.VTI";

// Read VTI: with "Read .VTI file" ticked, reports the title set information
// "HVA00001.VTI" in the source folder ws.paths.EVOdir (the current folder
// when that is empty). It opens its own file, so that pressing the button
// during another operation cannot disturb it.
// A file that cannot be opened or read ends the run with FileError.
// `observer`, when given, hears what was parsed.
void readTitleSetInfo(Workspace& ws, MetadataObserver* observer = nullptr);

}  // namespace vantrel
