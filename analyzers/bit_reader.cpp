#include "analyzers/bit_reader.h"

namespace vantrel {

void BitReader::start(size_t position) {
  cursor_ = position;
  vacated_ = 0;
  window_ = 0;
  ranOut_ = false;
  for (int i = 0; i < 4; ++i) window_ = (window_ << 8) | byteAt(cursor_++);
}

// Only called when the window's low byte is free.
void BitReader::load() {
  vacated_ -= 8;
  window_ += byteAt(cursor_);
  ++cursor_;
}

void BitReader::skip(unsigned bits) {
  if (vacated_ > 0 && bits > 8 - vacated_) {
    // Fill up to the byte boundary first, then load the next byte.
    unsigned step = 8 - vacated_;
    window_ <<= step;
    vacated_ = 8;
    load();
    bits -= step;
  }
  while (vacated_ == 0 && bits > 8) {
    window_ <<= 8;
    vacated_ = 8;
    load();
    bits -= 8;
  }
  window_ <<= bits;
  vacated_ += bits;
  if (vacated_ == 8) load();
  // The window's first bit lies `vacated_` bits into the byte four behind
  // the cursor: everything before it has been consumed.
  if ((cursor_ - 4) * 8 + vacated_ > bytes_.size() * 8) ranOut_ = true;
}

uint32_t BitReader::read(unsigned bits) {
  if (bits == 0 || ranOut_) return 0;
  if (bits > 32) bits = 32;
  if (bits > 32 - vacated_) {
    // The window holds at least 25 valid bits; take wide fields in two steps.
    uint32_t high = read(16);
    return (high << (bits - 16)) | read(bits - 16);
  }
  uint32_t value = window_ >> (32 - bits);
  skip(bits);
  return value;
}

uint32_t BitReader::readUe() {
  unsigned zeros = 0;
  while (read(1) == 0) {
    if (ranOut_) return 0;
    if (++zeros > kMaxLeadingZeros) {
      ranOut_ = true;
      return 0;
    }
  }
  if (zeros == 0) return 0;
  // At most 2^31 - 1 + 2^31 - 1: always fits.
  uint32_t value = (uint32_t{1} << zeros) - 1 + read(zeros);
  return ranOut_ ? 0 : value;
}

int64_t BitReader::readSe() {
  int64_t k = readUe();
  int64_t magnitude = (k + 1) / 2;
  return (k % 2 == 1) ? magnitude : -magnitude;
}

}  // namespace vantrel
