#pragma once

#include <string>
#include <vector>

#include "metadata/playlist_view.h"

namespace vantrel {

// The playlist tree as text for a terminal: one line per node, indented by
// two blanks per level.
std::vector<std::string> treeLines(const std::vector<TreeNode>& roots);

}  // namespace vantrel
