#include "metadata/chapter_lines.h"

#include "common/text_format.h"

namespace vantrel {

namespace {
constexpr size_t kClockLength = 8;  // "HH:MM:SS"
constexpr size_t kFramesAt = 9;     // "FF" after the third colon
constexpr size_t kFramesLength = 2;
constexpr int kFramesPerSecond = 60;

// The frame field as a number; whatever is there that is not made of
// decimal digits counts as 0.
int framesOf(std::string_view timeCode) {
  if (timeCode.size() <= kFramesAt) return 0;
  std::string_view field = timeCode.substr(kFramesAt, kFramesLength);
  int frames = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    frames = frames * 10 + (c - '0');
  }
  return frames;
}
}  // namespace

std::string chapterTime(std::string_view timeCode) {
  const int milliseconds = framesOf(timeCode) * 1000 / kFramesPerSecond;
  return std::string(timeCode.substr(0, kClockLength)) + "." + zeroPadded(milliseconds, 3);
}

void appendChapterLines(std::vector<std::string>& lines, int number, std::string_view time,
                        std::string_view name) {
  const std::string tag = "CHAPTER" + zeroPadded(number, 2);
  lines.push_back(tag + "=" + std::string(time));
  lines.push_back(tag + "NAME=" + std::string(name));
}

}  // namespace vantrel
