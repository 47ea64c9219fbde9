#include "metadata/tree_text.h"

namespace vantrel {

namespace {
void addLines(const TreeNode& node, size_t level, std::vector<std::string>& lines) {
  lines.push_back(std::string(level * 2, ' ') + node.text);
  for (const TreeNode& child : node.children) addLines(child, level + 1, lines);
}
}  // namespace

std::vector<std::string> treeLines(const std::vector<TreeNode>& roots) {
  std::vector<std::string> lines;
  for (const TreeNode& root : roots) addLines(root, 0, lines);
  return lines;
}

}  // namespace vantrel
