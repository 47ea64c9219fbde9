#include "tests/hardening/catalogue_support.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace vantrel::testing {

InputSnapshot::InputSnapshot(std::vector<std::string> paths) {
  for (const std::string& p : paths) bytes_[p] = readFileBytes(p);
}

bool InputSnapshot::unchanged() const {
  for (const auto& [path, bytes] : bytes_)
    if (!std::filesystem::is_regular_file(path) || readFileBytes(path) != bytes) return false;
  return true;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
constexpr unsigned kOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool capabilities(__user_cap_data_struct (&data)[2], bool set) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

// True when a file can be made in a folder without write permission.
bool permissionBitsIgnored() {
  TempDir dir;
  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::string probe = dir.file("probe");
  FILE* f = std::fopen(probe.c_str(), "w");
  if (f) std::fclose(f);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  return f != nullptr;
}
}  // namespace

PermissionBitsApply::PermissionBitsApply() {
  if (!permissionBitsIgnored()) {
    active_ = true;
    return;
  }
  __user_cap_data_struct data[2] = {};
  if (!capabilities(data, false)) return;
  saved_[0] = data[0].effective;
  data[0].effective &= ~kOverrides;
  if (!capabilities(data, true)) return;
  restore_ = true;
  active_ = !permissionBitsIgnored();
}

PermissionBitsApply::~PermissionBitsApply() {
  if (!restore_) return;
  __user_cap_data_struct data[2] = {};
  if (!capabilities(data, false)) return;
  data[0].effective = saved_[0];
  capabilities(data, true);
}

std::optional<std::string> unprivilegedPrefix() {
  if (::geteuid() != 0) return std::string();
  if (!haveTool("setpriv")) return std::nullopt;
  const std::string prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  // The unprivileged user must be able to run the program where it was built.
  if (runCommand(prefix + " test -x " + shellQuoted(cliPath()) + " 2>/dev/null") != 0)
    return std::nullopt;
  return prefix;
}

}  // namespace vantrel::testing
