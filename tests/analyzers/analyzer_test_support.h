#pragma once

// Small helpers shared by the analyzer tests.

#include <cstdint>
#include <string>
#include <vector>

#include "analyzers/payload.h"

namespace vantrel::testing {

// A payload over `bytes` from `position`, `length` bytes long (the rest of
// the bytes by default): the loaded chunk as the engine hands it over.
inline Payload payloadOver(const std::vector<uint8_t>& bytes, size_t position = 0,
                           size_t length = SIZE_MAX) {
  Payload p;
  p.loaded = bytes;
  p.position = position;
  p.length = length == SIZE_MAX ? bytes.size() - position : length;
  return p;
}

inline std::vector<uint8_t> concat(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace vantrel::testing
