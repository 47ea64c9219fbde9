#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// The first payload piece of a stream as the engine hands it to an analyzer:
// the bytes loaded in the chunk buffer, and where this packet's payload lies
// in them. Analyzers read headers from this payload's bytes only
// (upToEnd()): what follows them in the buffer belongs to the next pack.
// at() reads bytes past `loaded` as zero.
struct Payload {
  std::span<const uint8_t> loaded;
  size_t position = 0;  // index of the first payload byte in `loaded`
  size_t length = 0;    // payload bytes of this packet available from `position`

  uint8_t at(size_t index) const { return index < loaded.size() ? loaded[index] : 0; }
  size_t end() const { return position + length; }
  // The loaded bytes up to the payload's end.
  std::span<const uint8_t> upToEnd() const { return loaded.first(std::min(end(), loaded.size())); }
};

}  // namespace vantrel
