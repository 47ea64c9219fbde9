#include "engine/stream_report.h"

#include "common/text_format.h"

namespace vantrel {

std::string videoFoundLine(VideoCodec codec, int slot) {
  const char* name = codec == VideoCodec::Mpeg2  ? "[b]MPEG-2[/b] video stream "
                     : codec == VideoCodec::H264 ? "[b]H.264 (AVC)[/b] video stream "
                                                 : "[b]VC-1[/b] video stream ";
  return name + std::to_string(slot) + " found!";
}

std::string audioFoundLine(AudioCodec codec, bool mlp, int slot) {
  const char* name = "";
  switch (codec) {
    case AudioCodec::Ac3:
      name = "[b]Dolby Digital[/b] audio stream ";
      break;
    case AudioCodec::Dts:
      name = "[b]DTS HD (DTS)[/b] audio stream ";
      break;
    case AudioCodec::Eac3:
      name = "[b]Dolby Digital[/b] Plus audio stream ";
      break;
    case AudioCodec::Lpcm:
      name = mlp ? "[b]MLP[/b] audio stream " : "[b]LPCM[/b] audio stream ";
      break;
    case AudioCodec::TrueHd:
      name = "[b]Dolby TrueHD[/b] audio stream ";
      break;
  }
  return name + std::to_string(slot) + " found!";
}

std::string subpictureFoundLine(bool extended, int slot) {
  return std::string(extended ? "[b]Extended subpicture[/b] stream " : "[b]Subpicture[/b] stream ") +
         std::to_string(slot) + " found!";
}

StreamCodec codecOf(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::Mpeg2:
      return StreamCodec::Mpeg2;
    case VideoCodec::H264:
      return StreamCodec::H264;
    case VideoCodec::Vc1:
      return StreamCodec::Vc1;
  }
  return StreamCodec::Mpeg2;
}

StreamCodec codecOf(AudioCodec codec, bool mlp) {
  switch (codec) {
    case AudioCodec::Ac3:
      return StreamCodec::Ac3;
    case AudioCodec::Eac3:
      return StreamCodec::Eac3;
    case AudioCodec::Dts:
      return StreamCodec::Dts;
    case AudioCodec::Lpcm:
      return mlp ? StreamCodec::Mlp : StreamCodec::Lpcm;
    case AudioCodec::TrueHd:
      return StreamCodec::TrueHd;
  }
  return StreamCodec::Ac3;
}

std::string foundLine(const FoundStream& stream) {
  switch (stream.codec) {
    case StreamCodec::Mpeg2:
      return videoFoundLine(VideoCodec::Mpeg2, stream.slot);
    case StreamCodec::H264:
      return videoFoundLine(VideoCodec::H264, stream.slot);
    case StreamCodec::Vc1:
      return videoFoundLine(VideoCodec::Vc1, stream.slot);
    case StreamCodec::Ac3:
      return audioFoundLine(AudioCodec::Ac3, false, stream.slot);
    case StreamCodec::Eac3:
      return audioFoundLine(AudioCodec::Eac3, false, stream.slot);
    case StreamCodec::Dts:
      return audioFoundLine(AudioCodec::Dts, false, stream.slot);
    case StreamCodec::Lpcm:
      return audioFoundLine(AudioCodec::Lpcm, false, stream.slot);
    case StreamCodec::Mlp:
      return audioFoundLine(AudioCodec::Lpcm, true, stream.slot);
    case StreamCodec::TrueHd:
      return audioFoundLine(AudioCodec::TrueHd, false, stream.slot);
    case StreamCodec::Subpicture:
      return subpictureFoundLine(false, stream.slot);
    case StreamCodec::ExtendedSubpicture:
      return subpictureFoundLine(true, stream.slot);
  }
  return {};
}

// Time stamps are compared as unsigned 32-bit values, as the log always did.
int64_t delayMs(uint32_t pts, uint32_t firstVideoPtm) {
  if (pts >= firstVideoPtm) return int64_t((pts - firstVideoPtm) / 90);
  return -int64_t((firstVideoPtm - pts) / 90);
}

std::string firstPtsLine(uint32_t pts, uint32_t firstVideoPtm) {
  std::string line = "   First PTS = [re]" + hex8(pts) + "[/re]";
  if (pts == firstVideoPtm) return line;
  // A stamp less than 1 ms early still shows its sign: "-0".
  const int64_t delay = delayMs(pts, firstVideoPtm);
  const char* sign = pts > firstVideoPtm ? "+" : "-";
  return line + "  ([re]" + sign + std::to_string(delay < 0 ? -delay : delay) + "[/re]ms)";
}

std::string substreamLine(uint32_t id) { return "   Substream id = " + hex2(id); }

SubpictureFormat parseSubpictureFormat(uint8_t first, uint8_t second) {
  return {first == 0 && second == 0};
}

std::string subpictureFormatLine(const SubpictureFormat& format) {
  return format.eightBit ? "   Format = [bl]8bitRLE[/bl]" : "   Format = [bl]2bitRLE[/bl]";
}

std::string subpictureFormatLine(uint8_t first, uint8_t second) {
  return subpictureFormatLine(parseSubpictureFormat(first, second));
}

std::string sharedSlotLine(const char* kind, uint32_t id, int slot, uint32_t holder) {
  return std::string("[re]") + kind + " " + hex2(id) + " shares slot " + std::to_string(slot) +
         " with " + hex2(holder) + "; its packets are skipped.[/re]";
}

}  // namespace vantrel
