#include "tests/support/test_disc.h"

#include "tests/support/temp_dir.h"

namespace vantrel::testing {

std::string discToolsMissing() {
  for (const char* tool : {"ffmpeg", "ffprobe"}) {
    if (!haveTool(tool)) return std::string(tool) + " is not installed";
  }
  return "";
}

sample::DiscContent writeTestDisc(sample::DiscSpec spec, const std::string& folder) {
  if (spec.encoding.cacheDir.empty()) spec.encoding.cacheDir = std::string(VANTREL_BINARY_DIR) + "/test-streams";
  return sample::writeDisc(spec, folder);
}

}  // namespace vantrel::testing
