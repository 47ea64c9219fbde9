#pragma once

#include <array>
#include <cstdint>

#include "analyzers/payload.h"
#include "common/host.h"
#include "engine/processing_state.h"
#include "engine/stream_ids.h"

namespace vantrel {

// Hands a stream's first payload to the analyzer of its codec. Video
// analyzers that find a frame rate store it in the slot's VideoFrameRate.
void analyzeVideo(VideoCodec codec, const Payload& payload, uint32_t firstPts, int slot,
                  ProcessingState& state, Host& host);

// `header` holds the seven bytes of the substream header (LPCM reads them);
// substream 0xA1 of a ".AOB" file goes to the MLP analyzer.
void analyzeAudio(AudioCodec codec, uint8_t substreamId, FileKind kind, const Payload& payload,
                  const std::array<uint8_t, 7>& header, int slot, Host& host);

}  // namespace vantrel
