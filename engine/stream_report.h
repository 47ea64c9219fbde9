#pragma once

#include <cstdint>
#include <string>

#include "engine/stream_table.h"

namespace vantrel {

// What the engine learns about the streams it meets, and the lines it logs
// about them.

// A stream when the catalogue first takes it into its slot.
struct FoundStream {
  StreamKind kind = StreamKind::Video;
  int slot = 0;
  uint32_t id = 0;  // stream id, VC-1 stream id extension or substream id
  StreamCodec codec = StreamCodec::Mpeg2;
};

// Where a stream starts: its first time stamp, and the first video frame's
// time it is measured against.
struct StreamStart {
  StreamKind kind = StreamKind::Video;
  int slot = 0;
  uint32_t id = 0;
  uint32_t firstPts = 0;
  uint32_t firstVideoPtm = 0;
};

// Stamps are the low 32 bits of the 33-bit clock, so a title may wrap past
// 2^32: two stamps are compared by their signed 32-bit difference.
// Ticks from `reference` to `pts`, negative before it.
int32_t ticksAfter(uint32_t pts, uint32_t reference);
// The earlier of two stamps.
uint32_t earlierPts(uint32_t a, uint32_t b);

// Milliseconds from the first video frame to the stream's first stamp
// (negative before it); whole milliseconds, truncated towards zero.
int64_t delayMs(uint32_t pts, uint32_t firstVideoPtm);

// The run-length coding of a subpicture stream, from the first two bytes
// after its substream id.
struct SubpictureFormat {
  bool eightBit = false;
};
SubpictureFormat parseSubpictureFormat(uint8_t first, uint8_t second);

// "[b]MPEG-2[/b] video stream 0 found!" and its siblings.
std::string foundLine(const FoundStream& stream);

// "   First PTS = [re]00012345[/re]", with the delay from the first video frame
// when the stamp differs from it; a stamp before it gives a negative delay.
std::string firstPtsLine(uint32_t pts, uint32_t firstVideoPtm);

// "   Substream id = 80"
std::string substreamLine(uint32_t id);

// "   Format = [bl]2bitRLE[/bl]"
std::string subpictureFormatLine(const SubpictureFormat& format);

// Warning for a stream whose slot another stream holds.
std::string sharedSlotLine(StreamKind kind, uint32_t id, int slot, uint32_t holder);

}  // namespace vantrel
