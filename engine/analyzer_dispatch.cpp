#include "engine/analyzer_dispatch.h"

namespace vantrel {

namespace {

struct Analysis {
  StreamAnalysis value;
  std::optional<double> frameRate;  // video only
};

Analysis analyzeVideo(const AnalysedStream& stream, const Payload& payload, Host& host) {
  switch (stream.codec) {
    case StreamCodec::Mpeg2: {
      Mpeg2VideoAnalysis analysis = parseMpeg2Video(payload);
      describeMpeg2Video(analysis, stream.firstPts, host);
      const std::optional<double> rate = analysis.frameRate();
      return {std::move(analysis), rate};
    }
    case StreamCodec::H264: {
      auto sps = parseH264(payload);
      if (!sps) return {{}, kH264ReportFrameRate};
      describeH264(*sps, host);
      const double rate = h264ReportFrameRate(*sps);
      return {std::move(*sps), rate};
    }
    default: {
      auto header = parseVc1(payload);
      if (!header) return {};
      describeVc1(*header, host);
      const std::optional<double> rate = vc1FrameRate(*header).known();
      return {std::move(*header), rate};
    }
  }
}

StreamAnalysis analyzeAudio(const AnalysedStream& stream, const Payload& payload, Host& host) {
  switch (stream.codec) {
    case StreamCodec::Ac3:
    case StreamCodec::Eac3: {
      Ac3Analysis analysis = parseAc3(payload);
      describeAc3(analysis, stream.slot, host);
      return analysis;
    }
    case StreamCodec::Dts: {
      DtsAnalysis analysis = parseDts(payload);
      describeDts(analysis, host);
      return analysis;
    }
    case StreamCodec::Lpcm: {
      LpcmHeader lpcm = parseLpcm(stream.substreamHeader, payload);
      describeLpcm(lpcm, host);
      return lpcm;
    }
    default: {  // TrueHD, and MLP in DVD-Audio objects
      MlpAnalysis analysis = parseMlp(payload);
      describeMlp(analysis, host);
      return analysis;
    }
  }
}

}  // namespace

StreamAnalysis analyzeStream(const AnalysedStream& stream, const Payload& payload,
                             ProcessingState& state, Host& host) {
  switch (stream.codec) {
    case StreamCodec::Mpeg2:
    case StreamCodec::H264:
    case StreamCodec::Vc1: {
      Analysis analysis = analyzeVideo(stream, payload, host);
      if (analysis.frameRate && stream.slot >= 0 && stream.slot < kVideoSlots)
        state.VideoFrameRate[size_t(stream.slot)] = *analysis.frameRate;
      return std::move(analysis.value);
    }
    case StreamCodec::Subpicture:
    case StreamCodec::ExtendedSubpicture: {
      const SubpictureFormat format =
          parseSubpictureFormat(payload.at(payload.position), payload.at(payload.position + 1));
      host.log(subpictureFormatLine(format));
      return format;
    }
    default:
      return analyzeAudio(stream, payload, host);
  }
}

}  // namespace vantrel
