#pragma once

// The entry points through which the engine hands a stream's first payload
// to its codec analyzer ("Detailed info"). Each logs its lines through the
// host and leaves the engine's position untouched.

#include <array>
#include <cstdint>
#include <optional>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Video analyzers return the frame rate to store for the frame report, when
// the header carries one.
std::optional<double> analyzeMpeg2Video(const Payload& payload, uint32_t firstPts, Host& host);
std::optional<double> analyzeVc1(const Payload& payload, Host& host);
std::optional<double> analyzeH264(const Payload& payload, Host& host);

void analyzeAc3(const Payload& payload, int stream, Host& host);  // AC-3 and E-AC-3
void analyzeDts(const Payload& payload, Host& host);
void analyzeMlp(const Payload& payload, Host& host);  // TrueHD, and MLP in ".AOB" files
// LPCM: `header` holds the seven bytes before the audio data (substream id,
// frame headers, first access unit pointer, then the three LPCM bytes).
void analyzeLpcm(const std::array<uint8_t, 7>& header, const Payload& payload, Host& host);

}  // namespace vantrel
