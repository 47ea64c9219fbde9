#include "engine/picture_counter.h"

#include <cstring>

namespace vantrel {

uint8_t pictureStartCode(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::Mpeg2:
      return 0x00;
    case VideoCodec::H264:
      return 0x09;
    case VideoCodec::Vc1:
      return 0x0D;
  }
  return 0x00;
}

int countPictures(const uint8_t* data, size_t length, uint8_t code) {
  // A match ends at index i with data[i] == code and data[i-1] == 01 preceded
  // by two zeros; positions before the piece read as zero. memchr finds the
  // 01 bytes, which are rare in coded video.
  int count = 0;
  const uint8_t* const end = data + length;
  const uint8_t* p = data;
  while (p + 1 < end) {
    const uint8_t* one = static_cast<const uint8_t*>(std::memchr(p, 0x01, size_t(end - p - 1)));
    if (!one) break;
    size_t at = size_t(one - data);
    bool zerosBefore = (at < 1 || data[at - 1] == 0) && (at < 2 || data[at - 2] == 0);
    if (zerosBefore && one[1] == code) ++count;
    p = one + 1;
  }
  return count;
}

}  // namespace vantrel
