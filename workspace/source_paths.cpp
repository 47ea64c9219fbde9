#include "workspace/source_paths.h"

#include "common/path_rules.h"

namespace vantrel {

namespace {
const std::string kSourceFolder = std::string("HVDVD_TS") + kPathSeparator;
const std::string kPlaylistFolder = std::string("ADV_OBJ") + kPathSeparator;
constexpr const char* kPlaylistName = "VPLST000.XPL";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

void EVOadj(SourcePaths& paths, OperationButtons& buttons) {
  buttons.readEVO = !paths.eEVOfile.empty();
  paths.SourceFileName = fileNamePart(paths.eEVOfile);
  paths.OutputBaseName = CutExt(paths.SourceFileName);
  paths.EVOdir = folderPart(paths.eEVOfile);
  paths.eXPLfile = kPlaylistName;
  if (endsWith(paths.EVOdir, kSourceFolder)) {
    paths.XPLdir = paths.EVOdir.substr(0, paths.EVOdir.size() - kSourceFolder.size()) + kPlaylistFolder;
    paths.PlaylistFileName = kPlaylistName;
    paths.eXPLfile = paths.XPLdir + paths.PlaylistFileName;
  }
  buttons.readXPL = !paths.PlaylistFileName.empty();
}

void XPLadj(SourcePaths& paths, OperationButtons& buttons) {
  paths.PlaylistFileName = fileNamePart(paths.eXPLfile);
  paths.XPLdir = folderPart(paths.eXPLfile);
  if (!paths.PlaylistFileName.empty()) buttons.readXPL = true;
  if (endsWith(paths.XPLdir, kPlaylistFolder))
    paths.EVOdir = paths.XPLdir.substr(0, paths.XPLdir.size() - kPlaylistFolder.size()) + kSourceFolder;
}

}  // namespace vantrel
