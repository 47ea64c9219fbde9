#pragma once

#include <array>
#include <string>
#include <vector>

namespace vantrel {

// One node of the playlist tree shown beside the playlist text.
struct TreeNode {
  std::string text;
  std::vector<TreeNode> children;
  bool operator==(const TreeNode&) const = default;
};

// Codec names of a playlist's attribute items, addressed by their "index"
// attribute 1 to 8 (entry [index - 1]).
inline constexpr int kAttributeTableSize = 8;
using AttributeTable = std::array<std::string, kAttributeTableSize>;

// What the XPL page shows: the playlist text, the tree of the kept title and
// the chapter lines that Write chapters saves. The attribute tables belong
// here too because they outlive a single Read XPL run: a later run only
// overwrites the entries its own file defines.
struct PlaylistView {
  std::vector<std::string> mXPL;
  std::vector<TreeNode> tvXPL;  // "Info", "Video", "Audio", "Subtitle", "Chapter"
  std::vector<std::string> mChapter;

  AttributeTable VideoAttributeTable;
  AttributeTable AudioAttributeTable;
  AttributeTable SubpictureAttributeTable;
};

}  // namespace vantrel
