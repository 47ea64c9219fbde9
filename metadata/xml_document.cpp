#include "metadata/xml_document.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <string>

namespace vantrel {

namespace {
// Real playlists hold a few thousand elements; junk must not take all memory.
constexpr size_t kMaxElements = size_t(1) << 20;
constexpr size_t kFirstPiece = 256;
// A stray end tag closes an open element at most this many levels up.
constexpr size_t kEndTagReach = 64;

std::string_view localName(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned c = *p;
    size_t more = 0;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (c < 0x80) {
      ++p;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (size_t(end - p) <= more) return false;
    if (p[1] < low || p[1] > high) return false;
    for (size_t i = 2; i <= more; ++i)
      if (p[i] < 0x80 || p[i] > 0xBF) return false;
    p += more + 1;
  }
  return true;
}

// Errors that mean the input ended inside a token or an element: nothing
// after them can be read.
bool endsTheInput(XML_Error error) {
  return error == XML_ERROR_UNCLOSED_TOKEN || error == XML_ERROR_PARTIAL_CHAR ||
         error == XML_ERROR_UNCLOSED_CDATA_SECTION || error == XML_ERROR_NO_ELEMENTS;
}

std::string errorText(XML_Error error) {
  const XML_LChar* text = XML_ErrorString(error);
  return text ? text : "error " + std::to_string(int(error));
}

class Builder {
 public:
  explicit Builder(std::string_view bytes) : text_(bytes) {
    // XML allows no C0 controls besides tab, line feed and carriage return.
    for (char& c : text_)
      if (static_cast<unsigned char>(c) < 0x20 && !isXmlSpace(c)) c = ' ';
    encoding_ = isUtf8(text_) ? "UTF-8" : "ISO-8859-1";
    parser_ = XML_ParserCreate(encoding_);
  }
  ~Builder() {
    if (parser_) XML_ParserFree(parser_);
  }
  Builder(const Builder&) = delete;
  Builder& operator=(const Builder&) = delete;

  XmlDocument run() {
    if (!parser_) {
      doc_.problem = XmlProblem{1, 1, "out of memory"};
      return std::move(doc_);
    }
    size_t pos = 0;
    while (pos < text_.size() && !full_) {
      if (pos > 0) XML_ParserReset(parser_, encoding_);
      XML_SetUserData(parser_, this);
      XML_SetElementHandler(parser_, &Builder::onStart, &Builder::onEnd);
      base_ = pos;
      if (parseFrom(pos)) break;
      const XML_Error error = XML_GetErrorCode(parser_);
      if (!doc_.problem && !full_) {
        doc_.problem = XmlProblem{uint64_t(XML_GetCurrentLineNumber(parser_)),
                                  uint64_t(XML_GetCurrentColumnNumber(parser_)) + 1,
                                  errorText(error)};
      }
      if (endsTheInput(error) || full_) break;
      const size_t at = std::max(base_ + size_t(XML_GetCurrentByteIndex(parser_)), pos);
      if (const size_t tag = endTagAround(pos, at); tag != std::string::npos) {
        pos = closeByEndTag(tag);
      } else {
        pos = text_.find('<', std::max(at, pos + 1));
      }
    }
    while (!open_.empty()) close(text_.size());
    return std::move(doc_);
  }

 private:
  // Feeds expat from `pos` to the end; true when that part is well-formed.
  // The pieces start small and double: expat copies what it is given, so a
  // fault soon after a restart must not cost a copy of the whole rest; and it
  // scans a token cut by a piece's end again from its start with the next
  // piece, so a huge attribute must not meet many small pieces.
  bool parseFrom(size_t pos) {
    size_t piece = kFirstPiece;
    for (size_t fed = pos; fed < text_.size() || fed == pos;) {
      const size_t count = std::min({piece, text_.size() - fed, size_t(INT_MAX)});
      const bool last = fed + count == text_.size();
      if (XML_Parse(parser_, text_.data() + fed, int(count), last ? XML_TRUE : XML_FALSE) !=
          XML_STATUS_OK)
        return false;
      fed += count;
      piece *= 2;
      if (last) break;
    }
    return true;
  }

  static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<Builder*>(self)->open(name, attributes);
  }
  static void XMLCALL onEnd(void* self, const XML_Char*) {
    auto* builder = static_cast<Builder*>(self);
    if (builder->full_) return;
    const size_t end = builder->base_ + size_t(XML_GetCurrentByteIndex(builder->parser_)) +
                       size_t(XML_GetCurrentByteCount(builder->parser_));
    builder->close(end);
  }

  void open(const XML_Char* name, const XML_Char** attributes) {
    if (doc_.elements.size() >= kMaxElements) {
      if (!full_ && !doc_.problem)
        doc_.problem = XmlProblem{uint64_t(XML_GetCurrentLineNumber(parser_)),
                                  uint64_t(XML_GetCurrentColumnNumber(parser_)) + 1,
                                  "more than " + std::to_string(kMaxElements) + " elements"};
      full_ = true;
      XML_StopParser(parser_, XML_FALSE);
      return;
    }
    XmlElement element;
    element.name = localName(name);
    for (size_t i = 0; attributes[i]; i += 2)
      element.attributes.emplace_back(localName(attributes[i]), attributes[i + 1]);
    element.parent = open_.empty() ? XmlElement::kNone : open_.back();
    element.begin = base_ + size_t(XML_GetCurrentByteIndex(parser_));
    open_.push_back(doc_.elements.size());
    doc_.elements.push_back(std::move(element));
  }

  void close(size_t end) {
    XmlElement& element = doc_.elements[open_.back()];
    element.end = end;
    element.subtreeEnd = doc_.elements.size();
    open_.pop_back();
  }

  // The start of the end tag that an error at `at` lies in (expat points at
  // the name of a mismatched end tag), or npos.
  size_t endTagAround(size_t from, size_t at) const {
    const size_t lt = text_.rfind('<', at);
    if (lt == std::string::npos || lt < from || text_.compare(lt, 2, "</") != 0) return std::string::npos;
    return text_.find('>', lt) < at ? std::string::npos : lt;
  }

  // A stray end tag at `at`: closes the innermost open element of its name
  // and those inside it; names nothing open, it is skipped. Returns where
  // reading goes on.
  size_t closeByEndTag(size_t at) {
    const size_t gt = text_.find('>', at);
    if (gt == std::string::npos) return text_.size();
    size_t nameEnd = at + 2;
    while (nameEnd < gt && !isXmlSpace(text_[nameEnd])) ++nameEnd;
    const std::string_view name =
        localName(std::string_view(text_).substr(at + 2, nameEnd - at - 2));
    const auto reach = open_.rbegin() + std::ptrdiff_t(std::min(open_.size(), kEndTagReach));
    const auto match = std::find_if(open_.rbegin(), reach, [&](size_t index) {
      return doc_.elements[index].name == name;
    });
    if (match != reach) {
      const size_t keep = size_t(open_.rend() - match) - 1;
      while (open_.size() > keep) close(gt + 1);
    }
    return gt + 1;
  }

  std::string text_;
  const char* encoding_ = "UTF-8";
  XML_Parser parser_ = nullptr;
  size_t base_ = 0;  // where the current parser's input begins
  std::vector<size_t> open_;
  bool full_ = false;
  XmlDocument doc_;
};
}  // namespace

const std::string* XmlElement::attribute(std::string_view attributeName) const {
  for (const auto& [key, value] : attributes)
    if (key == attributeName) return &value;
  return nullptr;
}

XmlDocument readXml(std::string_view bytes) {
  Builder builder(bytes);
  return builder.run();
}

}  // namespace vantrel
