#include "tools/make_sample/title_set_file.h"

#include <cstring>
#include <stdexcept>

namespace vantrel::sample {

namespace {

constexpr size_t kSector = 2048;
constexpr size_t kEntrySize = 1024;
constexpr size_t kTableHeader = 16;
constexpr size_t kMaxAudio = 8;

uint32_t field(int value, int bits, int shift) {
  if (value < 0 || value >= (1 << bits)) throw std::invalid_argument("attribute code out of range");
  return uint32_t(value) << shift;
}

}  // namespace

uint32_t vtiVideoField(const VtiVideo& video) {
  return field(video.codec, 3, 29) | field(video.aspect, 2, 24) | field(video.resolution, 4, 12);
}

uint32_t vtiAudioField(const VtiAudio& audio) {
  return field(audio.coding, 6, 26) | field(audio.sampling, 2, 21) | field(audio.quantization, 2, 14);
}

psmux::Bytes buildTitleSetFile(int category, const std::vector<VtiEntry>& entries) {
  const size_t tableSector = 1;
  const size_t tableBytes = kTableHeader + entries.size() * kEntrySize;
  const size_t sectors = tableSector + (tableBytes + kSector - 1) / kSector;
  psmux::Bytes file(sectors * kSector, 0);

  std::memcpy(file.data(), "ADVANCED-VTS", 12);
  psmux::set32(file, 34, uint32_t(category));
  psmux::set32(file, 184, uint32_t(tableSector));
  psmux::set32(file, 188, uint32_t(sectors - 1));  // last sector of the file

  const size_t table = tableSector * kSector;
  psmux::set16(file, table, uint32_t(entries.size()));
  psmux::set32(file, table + 8, uint32_t(kTableHeader));
  for (size_t k = 0; k < entries.size(); ++k) {
    const VtiEntry& entry = entries[k];
    if (entry.audio.size() > kMaxAudio) throw std::invalid_argument("more than 8 audio streams");
    const size_t at = table + kTableHeader + k * kEntrySize;
    psmux::set32(file, at + 2, vtiVideoField(entry.main));
    psmux::set32(file, at + 6, entry.sub ? vtiVideoField(*entry.sub) : 0);
    psmux::set16(file, at + 14, uint32_t(entry.audio.size()));
    for (size_t i = 0; i < entry.audio.size(); ++i) {
      psmux::set32(file, at + 16 + 4 * i, vtiAudioField(entry.audio[i]));
    }
  }
  return file;
}

}  // namespace vantrel::sample
