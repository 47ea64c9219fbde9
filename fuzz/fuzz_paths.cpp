// Path rules: names split and rejoin, successors stay in their folder, and a
// made-safe caption never holds a separator.
#include <cstdlib>
#include <set>

#include "common/path_rules.h"
#include "fuzz/fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const std::string path = in.text(200);
  const std::string caption = in.text(100);
  if (folderPart(path) + fileNamePart(path) != path) std::abort();
  const std::string name = fileNamePart(path);
  if (CutExt(name) + extensionOf(name) != name) std::abort();
  // Every candidate exists: the successor must be in the same folder.
  const std::string next = getnext(path, [](const std::string&) { return true; });
  if (!next.empty() && folderPart(next) != folderPart(path)) std::abort();
  const std::string safe = safeFileNamePart(caption);
  for (char c : safe)
    if (isPathSeparator(c) || static_cast<unsigned char>(c) < 32) std::abort();
  if (safe == "." || safe == "..") std::abort();
  const std::string out = outputPrefix("/out", name) + "." + safe + ".mpv";
  if (folderPart(out) != "/out/" && !name.empty()) std::abort();
  return 0;
}
