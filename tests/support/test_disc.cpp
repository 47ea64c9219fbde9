#include "tests/support/test_disc.h"

#include "tests/support/temp_dir.h"

namespace vantrel::testing {

std::string discToolsMissing() {
  for (const char* tool : {"ffmpeg", "ffprobe"}) {
    if (!haveTool(tool)) return std::string(tool) + " is not installed";
  }
  return "";
}

sample::DiscContent writeTestDisc(sample::DiscLayout layout, const std::string& folder) {
  if (layout.encoding.cacheDir.empty()) layout.encoding.cacheDir = std::string(VANTREL_BINARY_DIR) + "/test-streams";
  return sample::writeDisc(layout, folder);
}

}  // namespace vantrel::testing
