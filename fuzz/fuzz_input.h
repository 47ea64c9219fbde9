#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::fuzz {

// Takes parameters off the front of a fuzz input, leaving the rest as data.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  uint16_t word() { return uint16_t(byte() << 8 | byte()); }
  // Up to `max` bytes as text.
  std::string text(size_t max) {
    size_t n = max < size_ ? max : size_;
    std::string t(reinterpret_cast<const char*>(data_), n);
    data_ += n;
    size_ -= n;
    return t;
  }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace vantrel::fuzz
