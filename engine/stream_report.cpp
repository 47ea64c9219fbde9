#include "engine/stream_report.h"

#include "common/text_format.h"

namespace vantrel {

std::string foundLine(const FoundStream& stream) {
  return std::string(codecInfo(stream.codec).logName) + std::to_string(stream.slot) + " found!";
}

int32_t ticksAfter(uint32_t pts, uint32_t reference) {
  return int32_t(pts - reference);  // modulo 2^32: a stamp that wrapped stays close
}

int64_t delayMs(uint32_t pts, uint32_t firstVideoPtm) {
  return ticksAfter(pts, firstVideoPtm) / 90;
}

uint32_t earlierPts(uint32_t a, uint32_t b) {
  return ticksAfter(a, b) < 0 ? a : b;
}

std::string firstPtsLine(uint32_t pts, uint32_t firstVideoPtm) {
  std::string line = "   First PTS = [re]" + hex8(pts) + "[/re]";
  if (pts == firstVideoPtm) return line;
  // A stamp less than 1 ms early still shows its sign: "-0".
  const int64_t delay = delayMs(pts, firstVideoPtm);
  const char* sign = ticksAfter(pts, firstVideoPtm) > 0 ? "+" : "-";
  return line + "  ([re]" + sign + std::to_string(delay < 0 ? -delay : delay) + "[/re]ms)";
}

std::string substreamLine(uint32_t id) { return "   Substream id = " + hex2(id); }

SubpictureFormat parseSubpictureFormat(uint8_t first, uint8_t second) {
  return {first == 0 && second == 0};
}

std::string subpictureFormatLine(const SubpictureFormat& format) {
  return format.eightBit ? "   Format = [bl]8bitRLE[/bl]" : "   Format = [bl]2bitRLE[/bl]";
}

std::string sharedSlotLine(StreamKind kind, uint32_t id, int slot, uint32_t holder) {
  return "[re]" + std::string(kindInfo(kind).sharedSlotName) + " " + hex2(id) + " shares slot " +
         std::to_string(slot) + " with " + hex2(holder) + "; its packets are skipped.[/re]";
}

}  // namespace vantrel
