#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vantrel {

// Looks a code up in a name table; a code past the table's end gives the
// empty text, like the table's own unnamed entries.
template <size_t N>
constexpr std::string_view nameOf(const std::array<std::string_view, N>& table, size_t code) {
  return code < N ? table[code] : std::string_view{};
}

}  // namespace vantrel
