#pragma once

// What Read XPL shows on the XPL page: the playlist text, the tree of the
// title and the chapter lines that Write chapters saves.
#if __has_include("metadata/playlist_reader.h")
#include "metadata/playlist_reader.h"
#else
#include <string>
#include <vector>

namespace vantrel {
struct TreeNode {
  std::string text;
  std::vector<TreeNode> children;
};
struct PlaylistView {
  std::vector<std::string> mXPL;
  std::vector<TreeNode> tvXPL;
  std::vector<std::string> mChapter;
};
}  // namespace vantrel
#endif
