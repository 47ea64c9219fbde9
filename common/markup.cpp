#include "common/markup.h"

namespace vantrel {

namespace {

constexpr Colour kBlue{0, 0, 255};
constexpr Colour kRed{255, 0, 0};

// A "c:" colour: the hexadecimal digits after "c:", any other character
// skipped; the lowest byte is red, then green, then blue.
Colour colourFromTag(std::string_view digits) {
  uint32_t value = 0;
  for (char c : digits) {
    char u = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    int digit = -1;
    if (u >= '0' && u <= '9') digit = u - '0';
    if (u >= 'A' && u <= 'F') digit = u - 'A' + 10;
    if (digit < 0) continue;
    value = value * 16 + uint32_t(digit);  // wraps at 32 bits
  }
  return Colour{uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF)};
}

// Appends text with every "[...]" pair removed.
void appendWithoutTags(std::string& out, std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('[', pos);
    if (open == std::string_view::npos) break;
    size_t close = text.find(']', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(pos, open - pos));
    pos = close + 1;
  }
  out.append(text.substr(pos));
}

void addRun(std::vector<MarkupRun>& runs, std::string text, const RunStyle& style) {
  if (text.empty()) return;
  if (!runs.empty() && runs.back().style == style) {
    runs.back().text += text;
    return;
  }
  runs.push_back(MarkupRun{std::move(text), style});
}

}  // namespace

RunStyle styleForTag(std::string_view name) {
  RunStyle style;
  if (name == "b") {
    style.bold = true;
  } else if (name == "i") {
    style.italic = true;
  } else if (name == "u") {
    style.underline = true;
  } else if (name == "s1") {
    style.pointSize = 10;
  } else if (name == "s2") {
    style.pointSize = 12;
  } else if (name.substr(0, 2) == "c:") {
    style.colour = colourFromTag(name.substr(2));
  } else if (name == "bl") {
    style.colour = kBlue;
  } else if (name == "re") {
    style.colour = kRed;
  }
  return style;
}

std::vector<MarkupRun> parseMarkup(std::string_view line) {
  std::vector<MarkupRun> runs;
  const RunStyle plain;
  size_t pos = 0;
  while (pos < line.size()) {
    size_t open = line.find('[', pos);
    size_t nameEnd = open == std::string_view::npos ? open : line.find(']', open + 1);
    if (nameEnd == std::string_view::npos) {
      addRun(runs, std::string(line.substr(pos)), plain);
      break;
    }
    addRun(runs, std::string(line.substr(pos, open - pos)), plain);
    std::string_view name = line.substr(open + 1, nameEnd - open - 1);
    pos = nameEnd + 1;
    if (!name.empty() && name.front() == '/') continue;  // closing tag without an opening one

    std::string closing = "[/" + std::string(name) + "]";
    size_t contentEnd = line.find(closing, pos);
    std::string_view content = line.substr(pos, contentEnd == std::string_view::npos
                                                    ? std::string_view::npos
                                                    : contentEnd - pos);
    std::string text;
    appendWithoutTags(text, content);
    addRun(runs, std::move(text), styleForTag(name));
    pos = contentEnd == std::string_view::npos ? line.size() : contentEnd + closing.size();
  }
  return runs;
}

std::string visibleText(std::string_view line) {
  std::string text;
  for (const MarkupRun& run : parseMarkup(line)) text += run.text;
  return text;
}

}  // namespace vantrel
