#include "analyzers/start_code_unit.h"

#include <algorithm>

namespace vantrel {

namespace {

// A parameter set or sequence header is a few hundred bytes at most, even
// with every scaling list coded; this bounds the copy.
constexpr size_t kMaxUnitBytes = 4096;
constexpr uint8_t kEmulationPrevention = 3;

}  // namespace

std::optional<size_t> findStartCode(const Payload& payload,
                                    std::initializer_list<uint32_t> codes) {
  const auto bytes = payload.upToEnd();
  uint32_t word = 0;
  for (size_t i = payload.position; i + 1 < bytes.size(); ++i) {
    word = word << 8 | bytes[i];
    if (i >= payload.position + 3 && std::find(codes.begin(), codes.end(), word) != codes.end())
      return i + 1;
  }
  return std::nullopt;
}

std::vector<uint8_t> unescapedUnit(const Payload& payload, size_t first) {
  const auto bytes = payload.upToEnd();
  std::vector<uint8_t> unit;
  const size_t last = std::min(bytes.size(), first + kMaxUnitBytes);
  int zeros = 0;
  for (size_t i = first; i < last; ++i) {
    const uint8_t byte = bytes[i];
    if (zeros >= 2 && byte == kEmulationPrevention) {
      zeros = 0;
      continue;
    }
    if (zeros >= 2 && byte < kEmulationPrevention) break;  // 00 00 00, 00 00 01, 00 00 02: the unit ends
    zeros = byte == 0 ? zeros + 1 : 0;
    unit.push_back(byte);
  }
  return unit;
}

}  // namespace vantrel
