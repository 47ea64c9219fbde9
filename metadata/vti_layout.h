#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace vantrel {

// The parts of an HD DVD video title set information file ("HVA00001.VTI")
// that the title set report shows. All numbers are big-endian.
namespace vti {
inline constexpr char kIdentifier[] = "ADVANCED-VTS";
inline constexpr size_t kIdentifierLength = 12;
inline constexpr int64_t kCategoryAt = 34;
inline constexpr int64_t kTableSectorAt = 184;  // then one more 32-bit value at 188
inline constexpr int64_t kHeaderEnd = 192;      // the last header field the report reads
inline constexpr int64_t kSectorSize = 2048;
inline constexpr int64_t kTableFieldsSize = 12;  // N (2), unused (6), E (4)
inline constexpr int64_t kEntryFieldsSize = 16;  // up to and including A
inline constexpr int64_t kEntryTailSize = 976;   // unused bytes after the audio slots
inline constexpr int kAudioSlotsPerEntry = 8;
}  // namespace vti

// Main or sub video attribute.
struct VtiVideoAttribute {
  uint8_t compression = 0;  // bits 31-29
  uint8_t aspect = 0;       // bits 25-24
  uint8_t resolution = 0;   // bits 15-12
  bool operator==(const VtiVideoAttribute&) const = default;
};

// Main audio stream attribute.
struct VtiAudioAttribute {
  uint8_t codingMode = 0;    // bits 31-26
  uint8_t sampling = 0;      // bits 22-21
  uint8_t quantization = 0;  // bits 15-14: 16 + 4 * q bits
  bool operator==(const VtiAudioAttribute&) const = default;
};

VtiVideoAttribute decodeVideoAttribute(uint32_t value);
VtiAudioAttribute decodeAudioAttribute(uint32_t value);

struct VtiEntry {
  VtiVideoAttribute mainVideo;
  std::optional<VtiVideoAttribute> subVideo;  // none when the field is 0
  uint16_t audioCount = 0;                    // A, as stored
  std::vector<VtiAudioAttribute> audio;       // fewer than A when the file ends early
};

// Where the file ended before a field the report needs.
struct VtiCut {
  enum class Part { Header, Table, Entry, AudioAttributes };  // Table: the attribute table
  Part part = Part::Header;
  int entry = 0;        // 1-based, for Entry and AudioAttributes
  uint64_t offset = 0;  // where the missing field would start
};

struct VtiFile {
  int64_t fileSize = 0;
  std::string identifier;
  std::optional<uint32_t> category;
  std::optional<uint32_t> tableSector;  // S: the attribute table is at S * 2,048
  std::optional<uint32_t> valueAfterTableSector;
  std::optional<uint16_t> entryCount;        // N
  std::optional<uint32_t> firstEntryOffset;  // E, from the start of the table
  std::vector<VtiEntry> entries;
  std::optional<VtiCut> cut;

  bool isAdvanced() const { return identifier == vti::kIdentifier; }
};

// Reads what the report shows, never beyond the end of the file: at the
// first field that lies beyond it, parsing stops and `cut` says where.
// Parsing also stops after the identifier when it is not "ADVANCED-VTS".
VtiFile parseVti(InputFile& in);

}  // namespace vantrel
