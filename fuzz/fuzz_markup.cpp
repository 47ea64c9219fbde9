// Log markup: every line ends, and the runs hold exactly the visible text.
#include <cstdlib>

#include "common/markup.h"
#include "fuzz/fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  std::string joined;
  for (const MarkupRun& run : parseMarkup(line)) {
    if (run.text.empty()) std::abort();
    joined += run.text;
  }
  if (joined != visibleText(line)) std::abort();
  if (joined.size() > line.size()) std::abort();
  return 0;
}
