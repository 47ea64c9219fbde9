#include "tools/psmux/picture_type.h"

namespace vantrel::psmux {

namespace {

// Index of the byte after the next 00 00 01 at or after `from`, or size.
size_t afterStartCode(const uint8_t* data, size_t size, size_t from) {
  for (size_t i = from; i + 3 <= size; ++i) {
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i + 3;
  }
  return size;
}

}  // namespace

bool isReferencePicture(EsCodec codec, const uint8_t* data, size_t size) {
  for (size_t at = afterStartCode(data, size, 0); at < size; at = afterStartCode(data, size, at)) {
    const uint8_t code = data[at];
    switch (codec) {
      case EsCodec::Mpeg2Video:
        // picture_start_code, then temporal_reference (10 bits) and picture_coding_type (3).
        if (code == 0x00 && at + 2 < size) {
          const int type = (data[at + 2] >> 3) & 7;
          return type == 1 || type == 2;
        }
        break;
      case EsCodec::H264Video: {
        const int nalType = code & 0x1F;
        if (nalType == 1 || nalType == 5) return (code >> 5) != 0;  // nal_ref_idc
        break;
      }
      case EsCodec::Vc1Video:
        // Frame start code; without interlace the picture type code comes
        // first: 0 P, 10 B, 110 I, 1110 BI, 1111 skipped (a repeated P).
        if (code == 0x0D && at + 1 < size) {
          const uint8_t bits = data[at + 1];
          if (!(bits & 0x80)) return true;
          if (!(bits & 0x40)) return false;
          if (!(bits & 0x20)) return true;
          return (bits & 0x10) != 0;
        }
        break;
      default: return false;
    }
  }
  return false;
}

}  // namespace vantrel::psmux
