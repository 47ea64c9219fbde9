#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Counts the picture start codes 00 00 01 `code` of one payload piece (the
// code of each video codec is in the stream table). The search register
// starts at zero for every piece, so a start code split between two pieces
// counts only when the split falls after its two zero bytes.
int countPictures(const uint8_t* data, size_t length, uint8_t code);

}  // namespace vantrel
