#include "metadata/chapter_lines.h"

#include "common/text_format.h"

namespace vantrel {

void appendChapterLines(std::vector<std::string>& lines, int number, std::string_view time,
                        std::string_view name) {
  const std::string tag = "CHAPTER" + zeroPadded(number, 2);
  lines.push_back(tag + "=" + std::string(time));
  lines.push_back(tag + "NAME=" + std::string(name));
}

}  // namespace vantrel
