#pragma once

// The video title set information file "HVA00001.VTI" of an advanced HD DVD
// title set: identifier, category, and a table of attribute entries (main
// video, sub video, main audio streams). Only the fields a reader of the
// attributes needs are filled; the rest is zero.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/psmux/ps_builder.h"

namespace vantrel::sample {

// Codes as the attribute fields store them.
struct VtiVideo {
  int codec = 0;       // 0 MPEG-1, 1 MPEG-2, 2 MPEG-4 AVC, 3 VC-1
  int aspect = 0;      // 0 4:3, 3 16:9
  int resolution = 0;  // 0 352x240(288) ... 12 1920x1080
};

struct VtiAudio {
  int coding = 0;        // 0 AC-3 (IO VTS), 1 MLP/TrueHD, 5 LPCM, 6 DTS, 7 DD/DD+ ...
  int sampling = 0;      // 0 48 kHz, 1 96 kHz, 2 192 kHz
  int quantization = 0;  // 16 + 4 x q bits
};

struct VtiEntry {
  VtiVideo main;
  std::optional<VtiVideo> sub;
  std::vector<VtiAudio> audio;  // at most 8
};

inline constexpr int kVtiAdvanced = 2;
inline constexpr int kVtiInteroperable = 3;

uint32_t vtiVideoField(const VtiVideo& video);
uint32_t vtiAudioField(const VtiAudio& audio);

// The whole file, a whole number of 2,048-byte sectors: header in sector 0,
// attribute table from sector 1. Throws std::invalid_argument for more than
// 8 audio streams in an entry or a code too wide for its field.
psmux::Bytes buildTitleSetFile(int category, const std::vector<VtiEntry>& entries);

}  // namespace vantrel::sample
