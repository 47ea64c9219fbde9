#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct Colour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Colour&) const = default;
};

// Character format of one run of a log line. Every line starts in the
// default format; a tag changes it only for its own content.
struct RunStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int pointSize = 8;
  std::optional<Colour> colour;  // empty: the default text colour
  bool operator==(const RunStyle&) const = default;
};

struct MarkupRun {
  std::string text;
  RunStyle style;
};

// Splits a marked-up log line into styled runs. Tags are "[name]content[/name]"
// and do not nest. Brackets that do not form a tag are handled so that every
// line ends: a "[" without a later "]" is plain text, a stray closing tag is
// dropped, and an opening tag without its closing tag styles the rest of the
// line.
std::vector<MarkupRun> parseMarkup(std::string_view line);

// The line as the user sees it: every tag removed.
std::string visibleText(std::string_view line);

// The effect of one tag name on the default format ("b", "i", "u", "s1",
// "s2", "c:RRGGBB"-style colour, "bl", "re"; anything else is the default).
RunStyle styleForTag(std::string_view name);

}  // namespace vantrel
