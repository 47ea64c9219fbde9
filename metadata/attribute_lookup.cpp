#include "metadata/attribute_lookup.h"

#include <charconv>

namespace vantrel {

namespace {
char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

size_t findNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return std::string_view::npos;
  for (size_t at = 0; at + part.size() <= text.size(); ++at) {
    size_t i = 0;
    while (i < part.size() && lowerAscii(text[at + i]) == lowerAscii(part[i])) ++i;
    if (i == part.size()) return at;
  }
  return std::string_view::npos;
}

// The text after the first `c`, or the whole text when there is none (a tag
// missing its "=" or opening quote still yields what follows).
std::string_view after(std::string_view text, char c) {
  size_t at = text.find(c);
  return at == std::string_view::npos ? text : text.substr(at + 1);
}
}  // namespace

bool containsNoCase(std::string_view text, std::string_view part) {
  return findNoCase(text, part) != std::string_view::npos;
}

std::string upperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return upper;
}

bool GetAttr(std::string_view tagLine, std::string_view name, std::string& slot) {
  size_t at = findNoCase(tagLine, name);
  if (at == std::string_view::npos) return false;
  std::string_view rest = after(after(tagLine.substr(at + name.size()), '='), '"');
  size_t close = rest.find('"');
  // An unterminated value gives an empty text rather than the rest of the line.
  slot = close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close));
  return true;
}

int GetAttrInt(std::string_view tagLine, std::string_view name) {
  std::string text;
  if (!GetAttr(tagLine, name, text) || text.empty()) return 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') {  // "+3" is still a decimal number; from_chars refuses the sign
    ++first;
    if (first != last && *first == '-') return 0;
  }
  int value = 0;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return 0;
  return value;
}

}  // namespace vantrel
