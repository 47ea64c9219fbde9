#pragma once

#include <cstdint>
#include <string>

#include "engine/stream_ids.h"

namespace vantrel {

// The lines the engine logs about the streams it meets.

// "[b]MPEG-2[/b] video stream 0 found!" and its siblings.
std::string videoFoundLine(VideoCodec codec, int slot);
std::string audioFoundLine(AudioCodec codec, bool mlp, int slot);
std::string subpictureFoundLine(bool extended, int slot);

// "   First PTS = [re]00012345[/re]", with the delay from the first video frame
// when the stamp differs from it; a stamp before it gives a negative delay.
std::string firstPtsLine(uint32_t pts, uint32_t firstVideoPtm);

// "   Substream id = 80"
std::string substreamLine(uint32_t id);

// "   Format = [bl]2bitRLE[/bl]" from the first two bytes after the substream id.
std::string subpictureFormatLine(uint8_t first, uint8_t second);

// Warning for a stream whose slot another stream holds.
std::string sharedSlotLine(const char* kind, uint32_t id, int slot, uint32_t holder);

}  // namespace vantrel
