#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/stream_ids.h"

namespace vantrel {

// The start code that begins a picture: MPEG-2 picture start code 00 00 01 00,
// H.264 access unit delimiter 00 00 01 09, VC-1 frame start code 00 00 01 0D.
uint8_t pictureStartCode(VideoCodec codec);

// Counts the picture start codes of one payload piece. The search register
// starts at zero for every piece, so a start code split between two pieces
// counts only when the split falls after its two zero bytes.
int countPictures(const uint8_t* data, size_t length, uint8_t code);

}  // namespace vantrel
