#include "engine/analyzer_dispatch.h"

#include "analyzers/analyzers.h"

namespace vantrel {

void analyzeVideo(VideoCodec codec, const Payload& payload, uint32_t firstPts, int slot,
                  ProcessingState& state, Host& host) {
  std::optional<double> rate;
  switch (codec) {
    case VideoCodec::Mpeg2:
      rate = analyzeMpeg2Video(payload, firstPts, host);
      break;
    case VideoCodec::H264:
      rate = analyzeH264(payload, host);
      break;
    case VideoCodec::Vc1:
      rate = analyzeVc1(payload, host);
      break;
  }
  if (rate && slot >= 0 && slot < kVideoSlots) state.VideoFrameRate[size_t(slot)] = *rate;
}

void analyzeAudio(AudioCodec codec, uint8_t substreamId, FileKind kind, const Payload& payload,
                  const std::array<uint8_t, 7>& header, int slot, Host& host) {
  switch (codec) {
    case AudioCodec::Ac3:
    case AudioCodec::Eac3:
      analyzeAc3(payload, slot, host);
      break;
    case AudioCodec::Dts:
      analyzeDts(payload, host);
      break;
    case AudioCodec::TrueHd:
      analyzeMlp(payload, host);
      break;
    case AudioCodec::Lpcm:
      if (isMlpSubstream(substreamId, kind))
        analyzeMlp(payload, host);
      else
        analyzeLpcm(header, payload, host);
      break;
  }
}

}  // namespace vantrel
