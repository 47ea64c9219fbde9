#pragma once

// Builds HD DVD video title set information files ("HVA00001.VTI") for the
// tests and the sample generator: the header, the attribute table and its
// 1,024-byte attribute entries (longer when an entry has more than eight
// audio attributes).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

// Codes of the attribute fields.
namespace vti_code {
inline constexpr int kMpeg2 = 1, kAvc = 2, kVc1 = 3;                         // video compression
inline constexpr int kAspect4x3 = 0, kAspect16x9 = 3;                        // aspect ratio
inline constexpr int kRes720x480 = 5, kRes1280x720 = 8, kRes1920x1080 = 12;  // resolution
inline constexpr int kAc3Interop = 0, kMlp = 1, kLpcm = 5, kDts = 6, kDdPlus = 7;  // audio
inline constexpr int k48kHz = 0, k96kHz = 1, k192kHz = 2;                          // sampling
}  // namespace vti_code

struct VtiVideo {
  int compression = vti_code::kVc1;
  int aspect = vti_code::kAspect16x9;
  int resolution = vti_code::kRes1920x1080;
};

struct VtiAudio {
  int codingMode = vti_code::kDdPlus;  // 6 bits
  int sampling = vti_code::k48kHz;
  int quantization = 0;  // 16 + 4 * q bits
};

struct VtiEntry {
  VtiVideo mainVideo;
  std::optional<VtiVideo> subVideo;
  std::vector<VtiAudio> audio;
  std::optional<uint16_t> audioCountOverride;  // store this A instead of audio.size()
};

// One EVOB's entry in the EVOB information table. The angle EVOBs of an
// interleaved block share one file name, each with its own size.
struct VtiEvob {
  std::string fileName;    // e.g. "FEATURE_1.EVO"
  uint32_t attribute = 1;  // 1-based attribute entry
  uint32_t startPtm = 0;   // first video presentation time and its end (90 kHz)
  uint32_t endPtm = 0;
  uint32_t packs = 0;
  uint16_t index = 1;
  uint32_t firstScr = 0;
};

struct VtiLayout {
  std::string identifier = "ADVANCED-VTS";  // at most 12 characters
  uint32_t category = 2;                    // 2 Advanced VTS, 3 Interoperable VTS
  uint32_t tableSector = 1;                 // S: the table starts at S * 2,048
  uint32_t valueAfterTableSector = 0;
  uint32_t firstEntryOffset = 16;  // E, from the start of the table
  std::vector<VtiEntry> entries;
  std::optional<uint16_t> entryCountOverride;  // store this N instead of entries.size()
  bool wholeSectors = false;  // pad the file to a whole number of 2,048-byte sectors
  // When given: the EVOB information table (320-byte entries) on the sector
  // after the attribute entries, its sector number at offset 188.
  std::vector<VtiEvob> evobs;
};

uint32_t vtiVideoAttribute(const VtiVideo& video);
uint32_t vtiAudioAttribute(const VtiAudio& audio);

// The whole file: header, zero padding up to the table, the table and the
// entries.
Bytes buildVti(const VtiLayout& layout);

}  // namespace vantrel::psmux
