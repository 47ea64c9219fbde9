#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// Most-significant-bit-first reader over the loaded chunk bytes, used by the
// VC-1, H.264 and DTS analyzers. It keeps a 32-bit look-ahead window that the
// analyzers also search for start codes, refilled one byte at a time.
//
// The reader works on its own cursor, so the engine's position is never
// touched. Bits past the loaded bytes read as zero: no read ever leaves the
// span it was given, whatever the header claims.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // Loads the four bytes at `position` into the window.
  void start(size_t position);
  // Consumes `bits` bits.
  void skip(unsigned bits);
  // The next `bits` bits (1 to 32), first bit read most significant.
  uint32_t read(unsigned bits);
  bool readFlag() { return read(1) != 0; }
  // Exp-Golomb codes of ITU-T H.264 clause 9.1. A run of zero bits is counted
  // up to 32 only; longer codes (garbage, or the zeros past the loaded
  // bytes) saturate at 0xFFFFFFFF instead of walking on.
  uint32_t readUe();
  int64_t readSe();

  // Index of the next byte to be loaded into the window; four bytes ahead of
  // the window's first byte when no bits are pending.
  size_t cursor() const { return cursor_; }
  // The next unread bits, left-aligned; the lowest vacated() bits are zero.
  uint32_t window() const { return window_; }
  unsigned vacated() const { return vacated_; }
  // True once every bit still to come lies past the loaded bytes.
  bool exhausted() const { return cursor_ >= bytes_.size() + 4; }

  static constexpr unsigned kMaxLeadingZeros = 32;

 private:
  uint8_t byteAt(size_t index) const { return index < bytes_.size() ? bytes_[index] : 0; }
  void load();

  std::span<const uint8_t> bytes_;
  size_t cursor_ = 0;
  uint32_t window_ = 0;
  unsigned vacated_ = 0;  // bits shifted out since the last byte was loaded
};

}  // namespace vantrel
