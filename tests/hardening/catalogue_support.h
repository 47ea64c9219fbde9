#pragma once

// Shared by the bad-input catalogue: running the command line with a time
// limit, proving that inputs were left alone, and making permission bits
// count for a test that runs as root.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/harness.h"
#include "tests/support/cli_runner.h"

namespace vantrel::testing {


// Remembers the bytes of files; unchanged() tells whether they still hold
// them (and still exist).
class InputSnapshot {
 public:
  explicit InputSnapshot(std::vector<std::string> paths);
  bool unchanged() const;

 private:
  std::map<std::string, std::vector<uint8_t>> bytes_;
};

// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// While it lives, the process runs without the capabilities that let root
// ignore permission bits, so that a read-only folder is read-only for this
// test too. active() is false when that could not be arranged (the test
// should skip then).
class PermissionBitsApply {
 public:
  PermissionBitsApply();
  ~PermissionBitsApply();
  PermissionBitsApply(const PermissionBitsApply&) = delete;
  PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
  bool restore_ = false;
  unsigned saved_[2] = {0, 0};
};

// The command-line prefix that runs a program so that permission bits
// apply to it ("" when not root; setpriv to the unprivileged user when
// root); nullopt when that is not possible here.
std::optional<std::string> unprivilegedPrefix();

}  // namespace vantrel::testing
