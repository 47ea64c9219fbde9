#include "engine/stream_writers.h"

namespace vantrel {

PayloadTargets PayloadTargets::of(ProcessingState& state, const Selection& selection) {
  PayloadTargets targets;
  for (int i = 0; i < kVideoSlots; ++i)
    if (selection.video[i]) targets.video[i] = state.VideoOut[i].get();
  for (int i = 0; i < kAudioSlots; ++i)
    if (selection.audio[i]) targets.audio[i] = state.AudioOut[i].get();
  for (int i = 0; i < kSubpictureSlots; ++i)
    if (selection.subpicture[i]) targets.subpicture[i] = state.SubpictureOut[i].get();
  return targets;
}

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
