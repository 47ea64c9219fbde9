#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metadata/vti_layout.h"

namespace vantrel {

// Names of the attribute codes; an empty text where the format has no name.
std::string vtiCategoryName(uint32_t category);
std::string vtiVideoCodecName(uint8_t compression);
std::string vtiAspectName(uint8_t aspect);
std::string vtiResolutionName(uint8_t resolution);
std::string vtiAudioCodecName(uint8_t codingMode);  // "Unknown" for 8 to 63
std::string vtiSamplingName(uint8_t sampling);
// Samples per second of a sampling code, 0 for codes without a rate.
int vtiSamplingRate(uint8_t sampling);
// Bits per sample for the coding modes that give a word length (MLP and
// LPCM), 0 for the others.
int vtiAudioBits(const VtiAudioAttribute& audio);

// The report lines after "Reading [b]HVA00001.VTI[/b]": the category, the
// attribute table's sector and the value after it, and per entry the main
// video, sub video and main audio attributes. A file that ended early gets
// a closing red line that says where. Nothing for another identifier.
std::vector<std::string> describeVti(const VtiFile& vti);

}  // namespace vantrel
