#include "tests/drivers/driver_harness.h"

#include <algorithm>

namespace vantrel::testing {

Bytes smallTitle(uint8_t tag, int videoPacks, uint32_t firstPtm) {
  using namespace psmux;
  Bytes title;
  uint64_t scr = 0;
  Navigation nav;
  nav.firstVideoPtm = firstPtm;
  nav.lastVideoPtm = firstPtm + 90000 * 2;  // two seconds a file
  nav.audioSync[0] = 1;
  nav.subpictureSync[2] = 1;
  append(title, navigationPack(scr++, nav));
  for (int i = 0; i < videoPacks; ++i) {
    Pes v;
    v.streamId = 0xE0;
    v.pts = firstPtm + 3600u * uint32_t(i);
    v.payload = {0x00, 0x00, 0x01, 0x00, tag, 0x00, 0x00, 0x01, 0x00, tag};
    append(title, packWithPes(scr++, v));
  }
  Pes a;
  a.streamId = 0xBD;
  a.pts = firstPtm;
  a.payload = audioSubstreamHeader(0x80);
  append(a.payload, {0x0B, 0x77, tag});
  append(title, packWithPes(scr++, a));
  Pes s;
  s.streamId = 0xBD;
  s.pts = firstPtm + 9000;
  s.payload = subpictureSubstreamHeader(0x22);
  append(s.payload, {0x00, 0x04, tag, tag});
  append(title, packWithPes(scr++, s));
  return title;
}

int Driver::indexOf(const std::string& line) const {
  auto at = std::find(lines().begin(), lines().end(), line);
  return at == lines().end() ? -1 : int(at - lines().begin());
}

bool Driver::logged(const std::string& line) const { return indexOf(line) >= 0; }

}  // namespace vantrel::testing
