#include "metadata/vti_report.h"

#include <array>

#include "common/text_format.h"

namespace vantrel {

namespace {
constexpr std::array<const char*, 8> kVideoCodecs = {"MPEG-1", "MPEG-2", "MPEG-4 AVC", "VC-1",
                                                     "4",      "5",      "6",          "7"};
constexpr std::array<const char*, 8> kAudioCodecs = {"AC-3 - IO VTS", "MLP/True HD",   "MPEG-1",
                                                     "MPEG-2",        "LPCM - IO VTS", "LPCM",
                                                     "DTS/DTS-HD",    "DD/DD+"};
constexpr std::array<const char*, 4> kAspects = {"4:3", "", "", "16:9"};
constexpr std::array<const char*, 4> kSamplings = {"48 kHz", "96 kHz", "192 kHz", ""};
// clang-format off
constexpr std::array<const char*, 16> kResolutions = {
    "352x240(288)", "352x480(576)", "480x480(576)", "544x480(576)",  // 0-3
    "704x480(576)", "720x480(576)", "",             "",              // 4-7
    "1280x720",     "960x1080",     "1280x1080",    "1440x1080",     // 8-11
    "1920x1080",    "",             "",             ""};             // 12-15
// clang-format on

template <size_t N>
std::string nameAt(const std::array<const char*, N>& table, size_t code) {
  return code < N ? table[code] : "";
}

// MLP and LPCM carry a word length worth showing.
bool hasQuantization(uint8_t codingMode) {
  return codingMode == 1 || codingMode == 4 || codingMode == 5;
}

std::string audioLine(size_t index, const VtiAudioAttribute& audio) {
  std::string line = "  " + std::to_string(index) + ": " + vtiAudioCodecName(audio.codingMode) +
                     ", " + vtiSamplingName(audio.sampling);
  if (hasQuantization(audio.codingMode))
    line += ", " + std::to_string(vtiAudioBits(audio)) + " bit";
  return line;
}

std::string cutLine(const VtiFile& vti, const VtiCut& cut) {
  std::string what;
  switch (cut.part) {
    case VtiCut::Part::Header:
      what = "the end of the header";
      break;
    case VtiCut::Part::Table:
      what = "the attribute table";
      break;
    case VtiCut::Part::Entry:
      what = "ATR #" + std::to_string(cut.entry);
      break;
    case VtiCut::Part::AudioAttributes:
      what = "the audio attributes of ATR #" + std::to_string(cut.entry);
      break;
  }
  return "[re]The file ends before " + what + " (byte " + std::to_string(cut.offset) +
         ", file size " + std::to_string(vti.fileSize) + "); report stopped.[/re]";
}
}  // namespace

std::string vtiCategoryName(uint32_t category) {
  if (category == 3) return "Interoperable VTS";
  if (category == 2) return "Advanced VTS";
  return "Unknown";
}
std::string vtiVideoCodecName(uint8_t compression) {
  return nameAt(kVideoCodecs, compression);
}
std::string vtiAspectName(uint8_t aspect) {
  return nameAt(kAspects, aspect);
}
std::string vtiResolutionName(uint8_t resolution) {
  return nameAt(kResolutions, resolution);
}
std::string vtiAudioCodecName(uint8_t codingMode) {
  return codingMode < kAudioCodecs.size() ? kAudioCodecs[codingMode] : "Unknown";
}
std::string vtiSamplingName(uint8_t sampling) {
  return nameAt(kSamplings, sampling);
}
int vtiSamplingRate(uint8_t sampling) {
  static constexpr std::array<int, 4> kRates = {48000, 96000, 192000, 0};
  return sampling < kRates.size() ? kRates[sampling] : 0;
}
int vtiAudioBits(const VtiAudioAttribute& audio) {
  return hasQuantization(audio.codingMode) ? 16 + 4 * audio.quantization : 0;
}

std::vector<std::string> describeVti(const VtiFile& vti) {
  std::vector<std::string> lines;
  if (!vti.isAdvanced()) return lines;
  if (vti.category) lines.push_back("Category: " + vtiCategoryName(*vti.category));
  if (vti.tableSector) lines.push_back(hex8(*vti.tableSector));
  if (vti.valueAfterTableSector) lines.push_back(hex8(*vti.valueAfterTableSector));

  for (size_t k = 0; k < vti.entries.size(); ++k) {
    const VtiEntry& entry = vti.entries[k];
    lines.push_back("ATR #" + std::to_string(k + 1));
    const VtiVideoAttribute& main = entry.mainVideo;
    lines.push_back("Main Video: " + vtiVideoCodecName(main.compression) + ", " +
                    vtiAspectName(main.aspect) + ", " + vtiResolutionName(main.resolution));
    if (entry.subVideo) {
      lines.push_back("Sub Video compression mode: " +
                      vtiVideoCodecName(entry.subVideo->compression));
      lines.push_back("Resolution: " + vtiResolutionName(entry.subVideo->resolution));
    }
    lines.push_back("Main Audio stream: " + std::to_string(entry.audioCount));
    for (size_t i = 0; i < entry.audio.size(); ++i) lines.push_back(audioLine(i, entry.audio[i]));
  }

  if (vti.cut) lines.push_back(cutLine(vti, *vti.cut));
  return lines;
}

}  // namespace vantrel
