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

Bytes entryBytes(const VtiEntry& entry) {
  Bytes out(kEntryFieldsSize, 0);
  set32(out, 2, vtiVideoAttribute(entry.mainVideo));
  set32(out, 6, entry.subVideo ? vtiVideoAttribute(*entry.subVideo) : 0);
  set16(out, 14, entry.audioCountOverride.value_or(uint16_t(entry.audio.size())));
  for (const VtiAudio& audio : entry.audio) put32(out, vtiAudioAttribute(audio));
  grow(out, kEntryFieldsSize + 4 * std::max(entry.audio.size(), kAudioSlots) + kEntryTailSize);
  return out;
}
constexpr size_t kEvobTableSectorAt = 188;
constexpr size_t kEvobEntrySize = 320;

void addEvobTable(Bytes& out, const std::vector<VtiEvob>& evobs) {
  const size_t sector = (out.size() + kSectorSize - 1) / kSectorSize;
  set32(out, kEvobTableSectorAt, uint32_t(sector));
  const size_t table = sector * kSectorSize;
  const size_t first = 8 + 4 * evobs.size();
  grow(out, table + first + kEvobEntrySize * evobs.size());
  set32(out, table, uint32_t(evobs.size()));
  set32(out, table + 4, uint32_t(first + kEvobEntrySize * evobs.size() - 1));
  for (size_t i = 0; i < evobs.size(); ++i) {
    const VtiEvob& evob = evobs[i];
    set32(out, table + 8 + 4 * i, uint32_t(first + kEvobEntrySize * i));
    const size_t at = table + first + kEvobEntrySize * i;
    set16(out, at, 0x2000);  // advanced content
    std::copy_n(evob.fileName.begin(), std::min<size_t>(evob.fileName.size(), 255), out.begin() + std::ptrdiff_t(at + 2));
    set32(out, at + 262, evob.attribute);
    set32(out, at + 266, evob.startPtm);
    set32(out, at + 270, evob.endPtm);
    set32(out, at + 274, evob.packs);
    set16(out, at + 278, evob.index);
    set32(out, at + 282, evob.firstScr);
    std::fill_n(out.begin() + std::ptrdiff_t(at + 286), 16, 0xFF);  // interoperable-only fields
  }
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

Bytes buildVti(const VtiLayout& layout) {
  Bytes out(kHeaderSize, 0);
  std::copy_n(layout.identifier.begin(), std::min(layout.identifier.size(), kIdentifierLength),
              out.begin());
  set32(out, kCategoryAt, layout.category);
  set32(out, kTableSectorAt, layout.tableSector);
  set32(out, kTableSectorAt + 4, layout.valueAfterTableSector);

  const size_t table = size_t(layout.tableSector) * kSectorSize;
  grow(out, table + 12);
  set16(out, table, layout.entryCountOverride.value_or(uint16_t(layout.entries.size())));
  set32(out, table + 8, layout.firstEntryOffset);

  size_t at = table + layout.firstEntryOffset;
  for (const VtiEntry& entry : layout.entries) {
    Bytes bytes = entryBytes(entry);
    grow(out, at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin() + std::ptrdiff_t(at));
    at += bytes.size();
  }
  if (!layout.evobs.empty()) addEvobTable(out, layout.evobs);
  if (layout.wholeSectors) grow(out, (out.size() + kSectorSize - 1) / kSectorSize * kSectorSize);
  return out;
}

}  // namespace vantrel::psmux
