#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// Turns the bytes of a playlist into tag lines, one per ">" byte, each
// indented by two blanks per nesting level. This is deliberately not an XML
// parser: depth follows "<", "</", "/>", "?>" and "-->" only, so the listing
// shows the document the way the disc's author wrote it, malformed or not.
// State carries across calls, so the input may arrive in chunks of any size.
class TagScanner {
 public:
  using TagSink = std::function<void(std::string_view tagLine)>;

  explicit TagScanner(TagSink sink) : sink_(std::move(sink)) {}

  void scan(const uint8_t* data, size_t count);

  int64_t depth() const { return depth_; }

  // While the sink runs: the offset in the input of the ">" that ends the tag.
  uint64_t tagEnd() const { return tagEnd_; }

  // Indentation stops growing here; deeper levels are still counted. Keeps a
  // file made of nothing but "<" from producing lines of gigabytes.
  static constexpr int kMaxIndentLevels = 256;

 private:
  void indentNextLine();

  TagSink sink_;
  std::string line_;
  int64_t depth_ = 0;  // wide: a huge file of "<" must not overflow it
  bool insideTag_ = false;
  uint64_t scanned_ = 0;  // bytes of the earlier calls
  uint64_t tagEnd_ = 0;
  uint8_t last_ = 0;        // the byte before the current one
  uint8_t beforeLast_ = 0;  // and the one before that
};

}  // namespace vantrel
