#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "analyzers/payload.h"

namespace vantrel {

// Finds the first of `codes` (a start code 00 00 01 and the byte after it,
// as one big-endian word) in the payload and returns the index of the byte
// after it. The payload's last byte is never part of a match.
std::optional<size_t> findStartCode(const Payload& payload, std::initializer_list<uint32_t> codes);

// The bytes of the unit that begins at `first`, up to the next start code
// or the payload's end, with the emulation prevention bytes taken out
// (00 00 03 -> 00 00). H.264 (7.4.1) and VC-1 (SMPTE 421M Annex E) escape
// their headers alike; without this, a num_units_in_tick of 1001 (coded
// 00 00 03 03 E9) would read as garbage.
std::vector<uint8_t> unescapedUnit(const Payload& payload, size_t first);

}  // namespace vantrel
