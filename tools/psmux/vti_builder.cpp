#include "tools/psmux/vti_builder.h"

#include <algorithm>

namespace vantrel::psmux {

namespace {
constexpr size_t kIdentifierLength = 12;
constexpr size_t kCategoryAt = 34;
constexpr size_t kTableSectorAt = 184;
constexpr size_t kHeaderSize = 1024;
constexpr size_t kSectorSize = 2048;
constexpr size_t kEntryFieldsSize = 16;
constexpr size_t kAudioSlots = 8;
constexpr size_t kEntryTailSize = 976;

void grow(Bytes& out, size_t size) {
  if (out.size() < size) out.resize(size, 0);
}

Bytes entryBytes(const VtiEntrySpec& entry) {
  Bytes out(kEntryFieldsSize, 0);
  set32(out, 2, vtiVideoAttribute(entry.mainVideo));
  set32(out, 6, entry.subVideo ? vtiVideoAttribute(*entry.subVideo) : 0);
  set16(out, 14, entry.audioCountOverride.value_or(uint16_t(entry.audio.size())));
  for (const VtiAudio& audio : entry.audio) put32(out, vtiAudioAttribute(audio));
  grow(out, kEntryFieldsSize + 4 * std::max(entry.audio.size(), kAudioSlots) + kEntryTailSize);
  return out;
}
}  // namespace

uint32_t vtiVideoAttribute(const VtiVideo& video) {
  return (uint32_t(video.compression & 7) << 29) | (uint32_t(video.aspect & 3) << 24) |
         (uint32_t(video.resolution & 15) << 12);
}

uint32_t vtiAudioAttribute(const VtiAudio& audio) {
  return (uint32_t(audio.codingMode & 63) << 26) | (uint32_t(audio.sampling & 3) << 21) |
         (uint32_t(audio.quantization & 3) << 14);
}

Bytes buildVti(const VtiSpec& spec) {
  Bytes out(kHeaderSize, 0);
  std::copy_n(spec.identifier.begin(), std::min(spec.identifier.size(), kIdentifierLength),
              out.begin());
  set32(out, kCategoryAt, spec.category);
  set32(out, kTableSectorAt, spec.tableSector);
  set32(out, kTableSectorAt + 4, spec.valueAfterTableSector);

  const size_t table = size_t(spec.tableSector) * kSectorSize;
  grow(out, table + 12);
  set16(out, table, spec.entryCountOverride.value_or(uint16_t(spec.entries.size())));
  set32(out, table + 8, spec.firstEntryOffset);

  size_t at = table + spec.firstEntryOffset;
  for (const VtiEntrySpec& entry : spec.entries) {
    Bytes bytes = entryBytes(entry);
    grow(out, at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin() + std::ptrdiff_t(at));
    at += bytes.size();
  }
  return out;
}

}  // namespace vantrel::psmux
