#include "engine/stream_writers.h"

#include "engine/processing_state.h"

namespace vantrel {

uint32_t supRecordTime(uint32_t pts, uint32_t minFirstPts) {
  if (minFirstPts == kNoFirstPts) return pts;
  return pts - minFirstPts;  // unsigned: modulo 2^32
}

void writeSupHeader(OutputFile& out, uint32_t time) {
  const uint8_t header[kSupHeaderSize] = {
      'S', 'P', uint8_t(time), uint8_t(time >> 8), uint8_t(time >> 16), uint8_t(time >> 24),
      0, 0, 0, 0};
  out.write(header, sizeof header);
}

}  // namespace vantrel
