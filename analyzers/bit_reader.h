#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vantrel {

// Most-significant-bit-first reader over the bytes of one header, used by
// the VC-1, H.264 and DTS analyzers. It keeps a 32-bit look-ahead window,
// refilled one byte at a time.
//
// The reader works on its own cursor, so the engine's position is never
// touched. It never reads outside the span it was given: bits past its end
// read as zero, and the reader remembers that it ran out, so that a header
// cut short reports only the fields that were there in full.
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
  // Exp-Golomb codes of ITU-T H.264 clause 9.1. A code with more than 31
  // leading zeros has no value in 32 bits (garbage, or the zeros past the
  // end): it counts as running out, and reads as 0.
  uint32_t readUe();
  int64_t readSe();

  // True once a field took bits past the end of the bytes (or an
  // Exp-Golomb code too long to be one). It stays set, and every read after
  // it gives 0: no later field can be complete.
  bool ranOut() const { return ranOut_; }
  // `value` when everything read so far was there in full, else nothing:
  // `group = r.whole(readGroup(r));` keeps a group of fields only whole.
  template <typename T>
  std::optional<T> whole(T value) const {
    return ranOut_ ? std::nullopt : std::optional<T>(std::move(value));
  }

  // Index of the next byte to be loaded into the window; four bytes ahead of
  // the window's first byte when no bits are pending.
  size_t cursor() const { return cursor_; }
  // The next unread bits, left-aligned; the lowest vacated() bits are zero.
  uint32_t window() const { return window_; }
  unsigned vacated() const { return vacated_; }

  static constexpr unsigned kMaxLeadingZeros = 31;

 private:
  uint8_t byteAt(size_t index) const { return index < bytes_.size() ? bytes_[index] : 0; }
  void load();

  std::span<const uint8_t> bytes_;
  size_t cursor_ = 0;
  uint32_t window_ = 0;
  unsigned vacated_ = 0;  // bits shifted out since the last byte was loaded
  bool ranOut_ = false;
};

}  // namespace vantrel
