#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "common/host.h"

namespace vantrel {

inline constexpr int64_t kMiB = 1'048'576;

// The progress of a pass over one file, shown every 4 MiB of input, which
// is also when the front end gets a turn (Host::pump).
class PassProgress {
 public:
  explicit PassProgress(int64_t size) : size_(size), start_(std::chrono::steady_clock::now()) {}

  static bool due(int64_t position) { return position % (4 * kMiB) == 0; }

  // "12/345 Mbytes, Remaining time: 0:00:03": the remaining time is
  // elapsed x size / position - elapsed + 1 second.
  std::string text(int64_t position) const;

 private:
  int64_t size_;
  std::chrono::steady_clock::time_point start_;
};

// Cancel is enabled while a pass runs, also when a file error ends it.
class CancelButtonOn {
 public:
  explicit CancelButtonOn(Host& host) : host_(host) { host_.setCancelEnabled(true); }
  ~CancelButtonOn() { host_.setCancelEnabled(false); }
  CancelButtonOn(const CancelButtonOn&) = delete;
  CancelButtonOn& operator=(const CancelButtonOn&) = delete;

 private:
  Host& host_;
};

}  // namespace vantrel
