#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// The first payload piece of a stream as the engine hands it to an analyzer:
// the bytes loaded in the chunk buffer, and where this packet's payload lies
// in them. Analyzers may look past `length` (the following bytes of the
// buffer), but never past `loaded`: at() reads such bytes as zero.
struct Payload {
  std::span<const uint8_t> loaded;
  size_t position = 0;  // index of the first payload byte in `loaded`
  size_t length = 0;    // payload bytes of this packet available from `position`

  uint8_t at(size_t index) const { return index < loaded.size() ? loaded[index] : 0; }
  size_t end() const { return position + length; }
};

}  // namespace vantrel
