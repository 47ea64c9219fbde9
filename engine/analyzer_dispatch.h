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
#include "engine/stream_report.h"
#include "engine/stream_table.h"

namespace vantrel {

// What the first payload of a stream told: the parsed header of its codec
// (monostate when nothing was parsed). The log lines are described from it,
// and observers receive the same value.
using StreamAnalysis =
    std::variant<std::monostate, Mpeg2VideoAnalysis, Vc1SequenceHeader, H264Sps, Ac3Analysis,
                 DtsAnalysis, MlpAnalysis, LpcmHeader, SubpictureFormat>;

// The stream whose first payload is analysed.
struct AnalysedStream {
  StreamCodec codec = StreamCodec::Mpeg2;
  int slot = 0;
  uint32_t firstPts = 0;
  // The substream header in front of the payload (LPCM reads all seven bytes).
  const std::array<uint8_t, 7>& substreamHeader;
};

// Parses a stream's first payload with the analyzer of its codec and logs
// its lines. Video analyzers that find a frame rate store it in the slot's
// VideoFrameRate.
StreamAnalysis analyzeStream(const AnalysedStream& stream, const Payload& payload,
                             ProcessingState& state, Host& host);

}  // namespace vantrel
