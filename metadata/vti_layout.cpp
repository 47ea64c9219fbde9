#include "metadata/vti_layout.h"

#include <algorithm>

#include "engine/field_readers.h"

namespace vantrel {

namespace {
bool fits(const InputFile& in, uint64_t offset, uint64_t length) {
  const uint64_t size = uint64_t(in.size());
  return offset <= size && length <= size - offset;
}

uint32_t bits(uint32_t value, int high, int low) {
  return (value >> low) & ((1u << (high - low + 1)) - 1);
}

// Reads one attribute entry starting at `at`; false when the file ended.
bool parseEntry(InputFile& in, uint64_t at, int number, VtiFile& vti) {
  using Part = VtiCut::Part;
  if (!fits(in, at, vti::kEntryFieldsSize)) {
    vti.cut = VtiCut{Part::Entry, number, at};
    return false;
  }
  VtiEntry entry;
  in.seek(int64_t(at + 2));
  entry.mainVideo = decodeVideoAttribute(readlword(in));
  if (uint32_t sub = readlword(in); sub != 0) entry.subVideo = decodeVideoAttribute(sub);
  in.seek(int64_t(at + 14));
  entry.audioCount = uint16_t(readword(in));
  for (uint32_t i = 0; i < entry.audioCount; ++i) {
    const uint64_t field = at + vti::kEntryFieldsSize + 4 * uint64_t(i);
    if (!fits(in, field, 4)) {
      vti.entries.push_back(std::move(entry));
      vti.cut = VtiCut{Part::AudioAttributes, number, field};
      return false;
    }
    entry.audio.push_back(decodeAudioAttribute(readlword(in)));
  }
  vti.entries.push_back(std::move(entry));
  return true;
}
}  // namespace

VtiVideoAttribute decodeVideoAttribute(uint32_t value) {
  return VtiVideoAttribute{uint8_t(bits(value, 31, 29)), uint8_t(bits(value, 25, 24)),
                           uint8_t(bits(value, 15, 12))};
}

VtiAudioAttribute decodeAudioAttribute(uint32_t value) {
  return VtiAudioAttribute{uint8_t(bits(value, 31, 26)), uint8_t(bits(value, 22, 21)),
                           uint8_t(bits(value, 15, 14))};
}

VtiFile parseVti(InputFile& in) {
  using Part = VtiCut::Part;
  VtiFile vti;
  vti.fileSize = in.size();
  in.seek(0);
  vti.identifier = readstring(in, vti::kIdentifierLength);
  if (!vti.isAdvanced()) return vti;

  if (!fits(in, vti::kCategoryAt, 4)) {
    vti.cut = VtiCut{Part::Header, 0, uint64_t(vti::kCategoryAt)};
    return vti;
  }
  in.seek(vti::kCategoryAt);
  vti.category = readlword(in);
  if (!fits(in, vti::kTableSectorAt, vti::kHeaderEnd - vti::kTableSectorAt)) {
    vti.cut = VtiCut{Part::Header, 0, uint64_t(vti::kTableSectorAt)};
    return vti;
  }
  in.seek(vti::kTableSectorAt);
  vti.tableSector = readlword(in);
  vti.valueAfterTableSector = readlword(in);

  const uint64_t table = uint64_t(*vti.tableSector) * vti::kSectorSize;
  if (!fits(in, table, vti::kTableFieldsSize)) {
    vti.cut = VtiCut{Part::Table, 0, table};
    return vti;
  }
  in.seek(int64_t(table));
  vti.entryCount = uint16_t(readword(in));
  in.seek(int64_t(table + 8));
  vti.firstEntryOffset = readlword(in);

  uint64_t at = table + *vti.firstEntryOffset;
  for (int k = 1; k <= *vti.entryCount; ++k) {
    if (!parseEntry(in, at, k, vti)) break;
    // An entry with more than eight audio attributes is longer; the next
    // one follows where it ends.
    const uint64_t slots =
        std::max<uint64_t>(vti.entries.back().audioCount, uint64_t(vti::kAudioSlotsPerEntry));
    at += vti::kEntryFieldsSize + 4 * slots + vti::kEntryTailSize;
  }
  return vti;
}

}  // namespace vantrel
