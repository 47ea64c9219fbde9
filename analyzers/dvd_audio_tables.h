#pragma once

#include <array>
#include <string_view>

#include "analyzers/name_table.h"

namespace vantrel {

// Names of the DVD-Audio coding parameters that the MLP and LPCM analyzers
// print. A code without a name maps to the empty text.

// Channel assignment (5 bits): the DVD-Audio format book's channel
// assignment table (codes 21 to 31 are reserved). Quantization word length
// (4 bits), in bits, and sampling frequency (4 bits), in kHz: the audio
// coding tables of the same book.
inline constexpr std::array<std::string_view, 32> channelAssignmentNames = {
    "C (mono)",                     // 0
    "L + R",                        // 1
    "Lf + Rf + S",                  // 2
    "Lf + Rf + Ls + Rs",            // 3
    "Lf + Rf + LFE",                // 4
    "Lf + Rf + LFE + S",            // 5
    "Lf + Rf + LFE + Ls + Rs",      // 6
    "Lf + Rf + C",                  // 7
    "Lf + Rf + C + S",              // 8
    "Lf + Rf + C + Ls + Rs",        // 9
    "Lf + Rf + C + LFE",            // 10
    "Lf + Rf + C + LFE + S",        // 11
    "Lf + Rf + C + LFE + Ls + Rs",  // 12
    "Lf + Rf + C + S",              // 13
    "Lf + Rf + C + Ls + Rs",        // 14
    "Lf + Rf + C + LFE",            // 15
    "Lf + Rf + C + LFE + S",        // 16
    "Lf + Rf + C + LFE + Ls + Rs",  // 17
    "Lf + Rf + Ls + Rs + LFE",      // 18
    "Lf + Rf + Ls + Rs + C",        // 19
    "Lf + Rf + Ls + Rs + C + LFE",  // 20
};

inline constexpr std::array<std::string_view, 16> wordLengthNames = {"16", "20", "24"};

inline constexpr std::array<std::string_view, 16> samplingRateNames = {
    "48", "96", "192", "", "", "", "", "", "44.1", "88.2", "176.4",
};

// Dynamic range control byte (3-bit exponent, 5-bit mantissa) in dB; the
// value 0x80 means that no dynamic range is given.
inline constexpr unsigned kNoDynamicRange = 0x80;
double dynamicRangeDb(unsigned code);

// The same codes as numbers, for callers that want values rather than text:
// bits per sample and samples per second (0 when the code has no meaning).
int wordLengthBits(unsigned code);
int samplingRateHz(unsigned code);
// Loudspeaker channels of a channel assignment code (0 for reserved codes).
int channelAssignmentChannels(unsigned code);

}  // namespace vantrel
