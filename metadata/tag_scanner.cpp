#include "metadata/tag_scanner.h"

#include <algorithm>

namespace vantrel {

void TagScanner::scan(const uint8_t* data, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = data[i];
    if (byte == '<') {
      insideTag_ = true;
      ++depth_;
    }
    if (insideTag_) {
      if (byte > 31) {
        line_.push_back(char(byte));
      } else if (line_.empty() || line_.back() != ' ') {
        line_.push_back(' ');  // line breaks and tabs inside a tag: one blank per run
      }
    }
    if (byte == '/' && last_ == '<') {  // a closing tag sits one level up
      depth_ -= 2;
      // Only indentation goes: a stray closing tag at the top keeps its "</".
      size_t blanks = 0;
      while (blanks < 2 && blanks < line_.size() && line_[blanks] == ' ') ++blanks;
      line_.erase(0, blanks);
    }
    if (byte == '>') {
      insideTag_ = false;
      tagEnd_ = scanned_ + i;
      sink_(line_);
      line_.clear();
      if (last_ == '/' || last_ == '?') --depth_;        // "<x/>", "<?x ?>"
      if (last_ == '-' && beforeLast_ == '-') --depth_;  // end of "<!-- -->"
      indentNextLine();
    }
    beforeLast_ = last_;
    last_ = byte;
  }
  scanned_ += count;
}

void TagScanner::indentNextLine() {
  if (depth_ > 0) line_.assign(size_t(std::min<int64_t>(depth_, kMaxIndentLevels)) * 2, ' ');
}

}  // namespace vantrel
