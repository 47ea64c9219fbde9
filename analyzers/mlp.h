#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Names of the TrueHD presentation fields (Dolby TrueHD major sync
// format_info): the 2-bit channel modifier and the bits of the 6- and
// 8-channel presentation assignments, lowest bit first.
inline constexpr std::array<std::string_view, 4> channelModifierNames = {"Stereo", "Lt/Rt",
                                                                         "Lbin/Rbin", "Mono"};
// What the modifier means for the 6- and 8-channel presentations (3 is
// reserved). The log names every modifier by the 2-channel table above.
inline constexpr std::array<std::string_view, 4> surroundModifierNames = {
    "not indicated", "not Dolby Surround EX", "Dolby Surround EX", ""};
inline constexpr std::array<std::string_view, 5> sixChannelNames = {
    "Main (Left,Right)", "Centre", "LFE", "Surrounds (Ls/Rs)", "Highs (Lvh/Rvh)"};
inline constexpr std::array<std::string_view, 13> eightChannelNames = {"Main (Left,Right)",
                                                                       "Centre",
                                                                       "LFE",
                                                                       "Surrounds (Ls/Rs)",
                                                                       "Front Highs (Lvh/Rvh)",
                                                                       "Inner fronts (Lc/Rc)",
                                                                       "Rears (Lrs/Rrs)",
                                                                       "Centre surround (Cs)",
                                                                       "Top (Ts)",
                                                                       "Surround Directs (Lsd/Rsd)",
                                                                       "Front Wide (Lw/Rw)",
                                                                       "Centre Front High (Cvh)",
                                                                       "LFE2"};

// The two bytes after the format fields. The analyzer reads them as a
// dynamic range pair; the first set to 0x80 means that there is none, and
// so does the major sync signature B7 52 that they hold in every stream
// that follows the format.
struct MlpDynamicRange {
  uint8_t first = 0;
  uint8_t second = 0;
};

// A TrueHD major sync (F8 72 6F BA) and as much of the six bytes after it
// as the payload holds.
struct TrueHdMajorSync {
  int bytesTaken = 0;
  uint8_t samplingCode = 0;  // audio_sampling_frequency (byte 1, high nibble)
  uint8_t modifier2 = 0;     // 2ch_presentation_channel_modifier
  uint8_t modifier6 = 0;     // 6ch_presentation_channel_modifier
  uint8_t assignment6 = 0;   // 6ch_presentation_channel_assignment (5 bits)
  uint8_t modifier8 = 0;     // 8ch_presentation_channel_modifier
  uint16_t assignment8 = 0;  // 8ch_presentation_channel_assignment (13 bits)
  uint8_t byte5 = 0;
  std::optional<MlpDynamicRange> dynamicRange;

  int sampleRateHz() const;
  // Loudspeaker channels of the 8-channel presentation.
  int channelCount() const;
};

// An MLP major sync (F8 72 6F BB), the DVD-Audio flavour.
struct MlpMajorSync {
  int bytesTaken = 0;
  uint8_t quantizationCode = 0;   // quantization_word_length_1 (byte 1, high nibble)
  uint8_t samplingCode = 0;       // audio_sampling_frequency_1 (byte 2, high nibble)
  uint8_t channelAssignment = 0;  // channel_assignment (byte 4, low 5 bits)
  uint8_t byte5 = 0;
  std::optional<MlpDynamicRange> dynamicRange;

  int bitsPerSample() const;
  int sampleRateHz() const;
  int channelCount() const;
};

using MlpSyncHeader = std::variant<TrueHdMajorSync, MlpMajorSync>;

struct MlpAnalysis {
  std::vector<MlpSyncHeader> headers;  // in the order of their sync words
};

MlpAnalysis parseMlp(const Payload& payload);
void describeMlp(const MlpAnalysis& analysis, Host& host);

// The names of the set bits of an assignment, lowest bit first, joined
// by ", ".
template <size_t N>
std::string channelList(const std::array<std::string_view, N>& names, unsigned assignment) {
  std::string list;
  for (size_t bit = 0; bit < N; ++bit) {
    if (!(assignment >> bit & 1)) continue;
    if (!list.empty()) list += ", ";
    list += names[bit];
  }
  return list;
}

}  // namespace vantrel
