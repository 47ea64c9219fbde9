#include "engine/progress.h"

#include "common/text_format.h"

namespace vantrel {

std::string PassProgress::text(int64_t position) const {
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double remaining = elapsed * double(size_) / double(position) - elapsed + 1.0;
  return std::to_string(position / kMiB) + "/" + std::to_string(size_ / kMiB) +
         " Mbytes, Remaining time: " + timeOfDayText(remaining);
}

}  // namespace vantrel
