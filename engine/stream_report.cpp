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

std::string firstPtsLine(uint32_t pts, uint32_t firstVideoPtm) {
  std::string line = "   First PTS = [re]" + hex8(pts) + "[/re]";
  if (pts == firstVideoPtm) return line;
  if (pts > firstVideoPtm)
    return line + "  ([re]+" + std::to_string((pts - firstVideoPtm) / 90) + "[/re]ms)";
  return line + "  ([re]-" + std::to_string((firstVideoPtm - pts) / 90) + "[/re]ms)";
}

std::string substreamLine(uint32_t id) { return "   Substream id = " + hex2(id); }

std::string subpictureFormatLine(uint8_t first, uint8_t second) {
  return (first == 0 && second == 0) ? "   Format = [bl]8bitRLE[/bl]" : "   Format = [bl]2bitRLE[/bl]";
}

std::string sharedSlotLine(const char* kind, uint32_t id, int slot, uint32_t holder) {
  return std::string("[re]") + kind + " " + hex2(id) + " shares slot " + std::to_string(slot) +
         " with " + hex2(holder) + "; its packets are skipped.[/re]";
}

}  // namespace vantrel
