#include "engine/field_readers.h"

#include <vector>

namespace vantrel {

namespace {
uint32_t readBigEndian(InputFile& in, int bytes) {
  uint8_t data[4] = {0, 0, 0, 0};
  in.read(data, size_t(bytes));  // a short read leaves zeros
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) + data[i];
  return value;
}
}  // namespace

uint32_t readword(InputFile& in) { return readBigEndian(in, 2); }
uint32_t readlword(InputFile& in) { return readBigEndian(in, 4); }

std::string readstring(InputFile& in, size_t n) {
  std::string text(n, '\0');
  size_t got = in.read(text.data(), n);
  text.resize(got);
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace vantrel
