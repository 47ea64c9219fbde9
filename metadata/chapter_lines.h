#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Appends the two lines of chapter `number` (counting from 1):
// "CHAPTER01=00:05:12.813" and "CHAPTER01NAME=<name>".
void appendChapterLines(std::vector<std::string>& lines, int number, std::string_view time,
                        std::string_view name);

}  // namespace vantrel
