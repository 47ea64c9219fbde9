#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// The last three payload bytes of a video stream before the current piece
// (oldest in bits 23-16), so that a start code split between pieces,
// packets or chunks is counted once. A stream starts with bytes that can
// begin no start code.
inline constexpr uint32_t kNoPictureTail = 0x00FFFFFF;

// Counts the picture start codes 00 00 01 `code` of one payload piece (the
// code of each video codec is in the stream table) that end in the piece,
// reading `tail` as the bytes before it, and leaves the piece's last three
// bytes in `tail`.
int countPictures(const uint8_t* data, size_t length, uint8_t code, uint32_t& tail);

}  // namespace vantrel
