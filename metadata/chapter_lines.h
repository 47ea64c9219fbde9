#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A playlist time code "HH:MM:SS:FF" (FF in sixtieths of a second) as a
// chapter time "HH:MM:SS.mmm": 00:05:12:30 -> 00:05:12.500. A short code or
// a frame field that is not a number still gives a time (the frames count
// as 0), so every chapter gets its line.
std::string chapterTime(std::string_view timeCode);

// Appends the two lines of chapter `number` (counting from 1):
// "CHAPTER01=00:05:12.500" and "CHAPTER01NAME=<name>".
void appendChapterLines(std::vector<std::string>& lines, int number, std::string_view time,
                        std::string_view name);

}  // namespace vantrel
