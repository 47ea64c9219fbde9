#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// One element of a document, with names stripped of their namespace prefix.
struct XmlElement {
  static constexpr size_t kNone = size_t(-1);

  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  size_t parent = kNone;  // index in XmlDocument::elements
  size_t subtreeEnd = 0;  // index of the first element after this one's descendants
  size_t begin = 0;       // byte offset of the "<" of the start tag
  size_t end = 0;         // byte offset just past the ">" that closes the element

  // The value of the attribute with this (local) name; null when absent.
  const std::string* attribute(std::string_view attributeName) const;
};

// Where the document first stopped being well-formed (line and column from 1).
struct XmlProblem {
  uint64_t line = 0;
  uint64_t column = 0;
  std::string message;
  bool operator==(const XmlProblem&) const = default;
};

// Every element of a document in document order (a parent before its
// descendants, which follow it contiguously). Comments, processing
// instructions and text are not kept.
struct XmlDocument {
  std::vector<XmlElement> elements;
  std::optional<XmlProblem> problem;
};

// Parses `bytes` with expat. Discs write well-formed UTF-8; a document that is
// not well-formed is read on past each fault so that damage in one place does
// not hide the rest: reading resumes at the next tag, a stray end tag closes
// the open element of that name (or nothing), and elements still open at the
// end close there. Control bytes that XML forbids count as blanks, and a
// document that is not valid UTF-8 is read as ISO 8859-1, so offsets always
// match `bytes`. Only the first fault is reported.
XmlDocument readXml(std::string_view bytes);

}  // namespace vantrel
