#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Attribute values of one tag line of the playlist. The playlist reader is a
// tag scanner, not an XML parser, so lookups are plain text searches: the
// name is found case-insensitively anywhere in the line (also inside a longer
// name), then the value is the text between the next two double quotes
// after the next "=".

// Copies the value into `slot` and returns true when the name occurs; leaves
// `slot` untouched otherwise, so that a tag without the attribute repeats
// the value of the tag before it.
bool GetAttr(std::string_view tagLine, std::string_view name, std::string& slot);

// The value as a decimal integer; 0 when the name does not occur or the
// value is not a plain decimal number that fits an int.
int GetAttrInt(std::string_view tagLine, std::string_view name);

// Case-insensitive (ASCII) substring test.
bool containsNoCase(std::string_view text, std::string_view part);

// ASCII upper case.
std::string upperCased(std::string_view text);

}  // namespace vantrel
