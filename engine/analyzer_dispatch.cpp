#include "engine/analyzer_dispatch.h"

namespace vantrel {

StreamAnalysis analyzeVideo(VideoCodec codec, const Payload& payload, uint32_t firstPts, int slot,
                            ProcessingState& state, Host& host) {
  std::optional<double> rate;
  StreamAnalysis result;
  switch (codec) {
    case VideoCodec::Mpeg2: {
      Mpeg2VideoAnalysis analysis = parseMpeg2Video(payload);
      describeMpeg2Video(analysis, firstPts, host);
      rate = analysis.frameRate();
      result = std::move(analysis);
      break;
    }
    case VideoCodec::H264: {
      rate = kH264ReportFrameRate;
      if (auto sps = parseH264(payload)) {
        describeH264(*sps, host);
        rate = h264ReportFrameRate(*sps);
        result = std::move(*sps);
      }
      break;
    }
    case VideoCodec::Vc1: {
      if (auto header = parseVc1(payload)) {
        describeVc1(*header, host);
        rate = vc1FrameRate(*header).known();
        result = std::move(*header);
      }
      break;
    }
  }
  if (rate && slot >= 0 && slot < kVideoSlots) state.VideoFrameRate[size_t(slot)] = *rate;
  return result;
}

StreamAnalysis analyzeAudio(AudioCodec codec, uint8_t substreamId, FileKind kind,
                            const Payload& payload, const std::array<uint8_t, 7>& header, int slot,
                            Host& host) {
  auto mlp = [&]() -> StreamAnalysis {
    MlpAnalysis analysis = parseMlp(payload);
    describeMlp(analysis, host);
    return analysis;
  };
  switch (codec) {
    case AudioCodec::Ac3:
    case AudioCodec::Eac3: {
      Ac3Analysis analysis = parseAc3(payload);
      describeAc3(analysis, slot, host);
      return analysis;
    }
    case AudioCodec::Dts: {
      DtsAnalysis analysis = parseDts(payload);
      describeDts(analysis, host);
      return analysis;
    }
    case AudioCodec::TrueHd:
      return mlp();
    case AudioCodec::Lpcm: {
      if (isMlpSubstream(substreamId, kind)) return mlp();
      LpcmHeader lpcm = parseLpcm(header, payload);
      describeLpcm(lpcm, host);
      return lpcm;
    }
  }
  return {};
}

}  // namespace vantrel
