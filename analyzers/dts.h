#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Channel arrangement by AMODE, ETSI TS 102 114 clause 5.4, AMODE table
// (16 to 63 are user defined).
inline constexpr std::array<std::string_view, 16> dtsChannelArrangements = {
    "A (mono)",
    "A+B (dual mono)",
    "L + R (stereo)",
    "(L+R) + (L-R) (sum-difference)",
    "LT + RT (left and right total)",
    "C + L + R",
    "L + R + S",
    "C + L + R + S",
    "L + R + Ls + Rs",
    "C + L + R + Ls + Rs",
    "CL + CR + L + R + Ls + Rs",
    "C + L + R + Lr + Rr + OV",
    "Cf + Cr + Lf + Rf + Lr + Rr",
    "CL + C + CR + L + R + Ls + Rs",
    "CL + CR + L + R + Ls1 + Ls2 + Rs1 + Rs2",
    "CL + C + CR + L + R + Ls + S + Rs"};
// Core sampling frequency by SFREQ in kHz (same clause, SFREQ table);
// written with a comma whatever the locale.
inline constexpr std::array<std::string_view, 16> dtsSamplingFrequencies = {
    "Invalid", "8", "16", "32", "",   "",   "11,025", "22,05",
    "44,1",    "",  "",   "12", "24", "48", "",       ""};
// Transmission bit rate by RATE in kbit/s (RATE table).
inline constexpr std::array<std::string_view, 32> dtsBitRates = {
    "32",   "56",   "64",   "96",   "112",  "128",  "192",      "224",
    "256",  "320",  "384",  "448",  "512",  "576",  "640",      "768",
    "960",  "1024", "1152", "1280", "1344", "1408", "1411,2",   "1472",
    "1536", "1920", "2048", "3072", "3840", "open", "Variable", "Loss-less"};
// Extension audio by EXT_AUDIO_ID (extension audio descriptor table).
inline constexpr std::array<std::string_view, 8> dtsExtensionNames = {
    "Channel extension",
    "Reserved",
    "Frequency extension",
    "Channel and Frequency extension",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved"};
// LFE channel by LFF (LFF table: interpolation factor 128 or 64).
inline constexpr std::array<std::string_view, 4> dtsLfeTexts = {
    "not present", "[bl]present[/bl] (IF:128)", "[bl]present[/bl] (IF:64)", "invalid"};
// Source PCM resolution by PCMR (PCMR table; ES: DTS-ES matrix or discrete).
inline constexpr std::array<std::string_view, 8> dtsResolutionTexts = {
    "[bl]16[/bl] bits",
    "[bl]16[/bl] bits, [bl]DTS ES[/bl]",
    "[bl]20[/bl] bits",
    "[bl]20[/bl] bits, [bl]DTS ES[/bl]",
    "",
    "[bl]24[/bl] bits, [bl]DTS ES[/bl]",
    "[bl]24[/bl] bits",
    ""};

// The fields of a DTS core frame header (ETSI TS 102 114 clause 5.4) that
// follow the sync word 7F FE 80 01.
struct DtsCoreHeader {
  uint8_t shortCount = 0;        // SHORT: deficit sample count (samples = SHORT + 1)
  bool crcPresent = false;       // CPF
  uint8_t nblks = 0;             // NBLKS: PCM sample blocks - 1
  uint16_t fsize = 0;            // FSIZE: primary frame byte size - 1
  uint8_t amode = 0;             // AMODE: audio channel arrangement
  uint8_t sfreq = 0;             // SFREQ: core audio sampling frequency
  uint8_t rate = 0;              // RATE: transmission bit rate
  uint8_t extAudioId = 0;        // EXT_AUDIO_ID: extension audio descriptor
  bool extAudio = false;         // EXT_AUDIO: extended coding flag
  uint8_t lff = 0;               // LFF: low frequency effects flag
  std::optional<uint16_t> hcrc;  // HCRC, present when CPF is set
  uint8_t vernum = 0;            // VERNUM: encoder software revision
  uint8_t pcmr = 0;              // PCMR: source PCM resolution

  std::optional<uint32_t> sampleRateHz() const;
  std::optional<uint32_t> bitRate() const;  // bit/s, for the fixed rates
  int channelCount() const;                 // 0 for user-defined arrangements
  bool hasLfe() const { return lff == 1 || lff == 2; }
};

struct DtsChannelExtension {};    // sync 5A 5A 5A 5A
struct DtsFrequencyExtension {};  // sync 1D 95 F2 62

using DtsEvent = std::variant<DtsCoreHeader, DtsChannelExtension, DtsFrequencyExtension>;

struct DtsAnalysis {
  std::vector<DtsEvent> events;  // in the order met in the payload
};

DtsAnalysis parseDts(const Payload& payload);
void describeDts(const DtsAnalysis& analysis, Host& host);

}  // namespace vantrel
