// The title set information reader over arbitrary bytes through the file
// layer (and so the field readers). Whatever the offsets and counts claim,
// only entries that lie inside the file are reported.
#include <cstdlib>

#include "fuzz/memory_file.h"
#include "metadata/vti_layout.h"
#include "metadata/vti_report.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile file;
  file.assign(data, size);
  auto in = InputFile::open(file.path());
  const VtiFile vti = parseVti(*in);
  describeVti(vti);
  // Each entry takes at least 1,024 bytes and the first starts after the header.
  if (vti.entries.size() > size / 1024 + 1) std::abort();
  for (const VtiEntry& entry : vti.entries)
    if (entry.audio.size() > entry.audioCount || entry.audio.size() * 4 > size) std::abort();
  return 0;
}
