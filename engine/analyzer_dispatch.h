#pragma once

#include <array>
#include <cstdint>
#include <variant>

#include "analyzers/ac3.h"
#include "analyzers/dts.h"
#include "analyzers/h264.h"
#include "analyzers/lpcm.h"
#include "analyzers/mlp.h"
#include "analyzers/mpeg2_video.h"
#include "analyzers/payload.h"
#include "analyzers/vc1.h"
#include "common/host.h"
#include "engine/processing_state.h"
#include "engine/stream_ids.h"
#include "engine/stream_report.h"

namespace vantrel {

// What the first payload of a stream told: the parsed header of its codec
// (monostate when nothing was parsed). The log lines are described from it,
// and observers receive the same value.
using StreamAnalysis =
    std::variant<std::monostate, Mpeg2VideoAnalysis, Vc1SequenceHeader, H264Sps, Ac3Analysis,
                 DtsAnalysis, MlpAnalysis, LpcmHeader, SubpictureFormat>;

// Parses a stream's first payload with the analyzer of its codec and logs
// its lines. Video analyzers that find a frame rate store it in the slot's
// VideoFrameRate.
StreamAnalysis analyzeVideo(VideoCodec codec, const Payload& payload, uint32_t firstPts, int slot,
                            ProcessingState& state, Host& host);

// `header` holds the seven bytes of the substream header (LPCM reads them);
// substream 0xA1 of a ".AOB" file goes to the MLP analyzer.
StreamAnalysis analyzeAudio(AudioCodec codec, uint8_t substreamId, FileKind kind,
                            const Payload& payload, const std::array<uint8_t, 7>& header, int slot,
                            Host& host);

}  // namespace vantrel
