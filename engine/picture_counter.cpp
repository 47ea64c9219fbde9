#include "engine/picture_counter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {

namespace {

// A start code ends at `at` (3 <= at < length): data[at] is the code, the
// byte before it 01, and the two before that zero.
bool startCodeEndsAt(const uint8_t* data, size_t at, uint8_t code) {
  return data[at] == code && data[at - 1] == 0x01 && data[at - 2] == 0 && data[at - 3] == 0;
}

}  // namespace

int countPictures(const uint8_t* data, size_t length, uint8_t code, uint32_t& tail) {
  int count = 0;
  // The first three positions look back into the bytes before the piece.
  const size_t head = length < 3 ? length : 3;
  uint32_t window = tail;
  for (size_t at = 0; at < head; ++at) {
    window = (window << 8) | data[at];
    count += window == (0x00000100u | code);
  }
  if (length <= 3) {
    tail = window & 0x00FFFFFF;
    return count;
  }
  size_t at = 3;
#if defined(__SSE2__)
  // Sixteen end positions at a time. Most blocks hold no "00 01" pair and
  // are passed after two compares; the others test all four bytes of every
  // position at once.
  const __m128i one = _mm_set1_epi8(1);
  const __m128i zero = _mm_setzero_si128();
  const __m128i codes = _mm_set1_epi8(char(code));
  auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  for (; at + 16 <= length; at += 16) {
    const __m128i pairs = _mm_and_si128(_mm_cmpeq_epi8(load(data + at - 1), one),
                                        _mm_cmpeq_epi8(load(data + at - 2), zero));
    if (_mm_movemask_epi8(pairs) == 0) continue;
    __m128i match = _mm_and_si128(pairs, _mm_cmpeq_epi8(load(data + at), codes));
    match = _mm_and_si128(match, _mm_cmpeq_epi8(load(data + at - 3), zero));
    for (unsigned bits = unsigned(_mm_movemask_epi8(match)); bits != 0; bits &= bits - 1) ++count;
  }
#endif
  for (; at < length; ++at) count += startCodeEndsAt(data, at, code);
  tail = uint32_t(data[length - 3]) << 16 | uint32_t(data[length - 2]) << 8 | data[length - 1];
  return count;
}

}  // namespace vantrel
