#pragma once

// Builds codec headers bit by bit for the analyzer tests, so that each test
// reads like the standard's syntax table it reproduces.

#include <cstdint>
#include <vector>

namespace vantrel::testing {

class BitWriter {
 public:
  // Appends the low `bits` bits of `value`, most significant first.
  BitWriter& put(unsigned bits, uint64_t value) {
    for (unsigned i = bits; i-- > 0;) putBit((value >> i) & 1);
    return *this;
  }
  BitWriter& flag(bool value) { return put(1, value ? 1 : 0); }
  // Exp-Golomb codes (ITU-T H.264 9.1).
  BitWriter& ue(uint32_t value) {
    uint64_t code = uint64_t{value} + 1;
    unsigned length = 0;
    while ((code >> length) > 1) ++length;
    put(length, 0);
    return put(length + 1, code);
  }
  BitWriter& se(int32_t value) {
    return ue(value > 0 ? static_cast<uint32_t>(2 * value - 1) : static_cast<uint32_t>(-2 * value));
  }
  BitWriter& bytes(const std::vector<uint8_t>& more) {
    for (uint8_t b : more) put(8, b);
    return *this;
  }
  // Pads with zero bits to the next byte boundary.
  BitWriter& align() {
    while (bitCount_ % 8 != 0) putBit(0);
    return *this;
  }
  // rbsp_trailing_bits: a 1, then zeros to the byte boundary.
  BitWriter& trailingBits() {
    putBit(1);
    return align();
  }
  const std::vector<uint8_t>& data() { return data_; }
  size_t bitCount() const { return bitCount_; }

 private:
  void putBit(unsigned bit) {
    if (bitCount_ % 8 == 0) data_.push_back(0);
    if (bit) data_.back() |= static_cast<uint8_t>(0x80 >> (bitCount_ % 8));
    ++bitCount_;
  }

  std::vector<uint8_t> data_;
  size_t bitCount_ = 0;
};

// Inserts emulation prevention bytes (00 00 0x -> 00 00 03 0x for x <= 3),
// as an H.264 encoder does when it wraps an RBSP in a NAL unit.
inline std::vector<uint8_t> escapeRbsp(const std::vector<uint8_t>& rbsp) {
  std::vector<uint8_t> out;
  int zeros = 0;
  for (uint8_t b : rbsp) {
    if (zeros >= 2 && b <= 3) {
      out.push_back(3);
      zeros = 0;
    }
    out.push_back(b);
    zeros = b == 0 ? zeros + 1 : 0;
  }
  return out;
}

}  // namespace vantrel::testing
