#include "tools/make_sample/vc1_stream.h"

namespace vantrel::sample {

namespace {

class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= uint8_t(0x80 >> used_);
      used_ = (used_ + 1) % 8;
    }
  }
  // A 1 bit, then zeros up to the byte boundary, as every header ends.
  psmux::Bytes finish() {
    put(1, 1);
    used_ = 0;
    return std::move(bytes_);
  }

 private:
  psmux::Bytes bytes_;
  int used_ = 0;
};

void append(psmux::Bytes& out, uint8_t startCode, const psmux::Bytes& body) {
  out.insert(out.end(), {0x00, 0x00, 0x01, startCode});
  out.insert(out.end(), body.begin(), body.end());
}

psmux::Bytes sequenceHeader() {
  BitWriter w;
  w.put(3, 2);        // PROFILE: advanced
  w.put(3, 3);        // LEVEL
  w.put(1, 2);        // COLORDIFF_FORMAT: 4:2:0
  w.put(0, 3 + 5 + 1);  // FRMRTQ_POSTPROC, BITRTQ_POSTPROC, POSTPROCFLAG
  w.put(959, 12);     // MAX_CODED_WIDTH: 1920
  w.put(539, 12);     // MAX_CODED_HEIGHT: 1080
  w.put(0, 4);        // PULLDOWN, INTERLACE, TFCNTRFLAG, FINTERPFLAG
  w.put(1, 1);        // reserved
  w.put(0, 1);        // PSF
  w.put(1, 1);        // DISPLAY_EXT
  w.put(1919, 14);    // DISP_HORIZ_SIZE
  w.put(1079, 14);    // DISP_VERT_SIZE
  w.put(1, 1);        // ASPECT_RATIO_FLAG
  w.put(1, 4);        // ASPECT_RATIO: square samples
  w.put(1, 1);        // FRAMERATE_FLAG
  w.put(0, 1);        // FRAMERATEIND
  w.put(3, 8);        // FRAMERATENR: 30000
  w.put(2, 4);        // FRAMERATEDR: 1001
  w.put(0, 1);        // COLOR_FORMAT_FLAG
  w.put(0, 1);        // HRD_PARAM_FLAG
  return w.finish();
}

psmux::Bytes entryPoint() {
  BitWriter w;
  w.put(0, 1);  // BROKEN_LINK
  w.put(1, 1);  // CLOSED_ENTRY
  w.put(0, 2);  // PANSCAN_FLAG, REFDIST_FLAG
  w.put(1, 1);  // LOOPFILTER
  w.put(0, 2);  // FASTUVMC, EXTENDED_MV
  w.put(0, 2);  // DQUANT
  w.put(0, 2);  // VSTRANSFORM, OVERLAP
  w.put(0, 2);  // QUANTIZER
  w.put(0, 1);  // CODED_SIZE_FLAG
  w.put(0, 2);  // RANGE_MAPY_FLAG, RANGE_MAPUV_FLAG
  return w.finish();
}

enum class Picture { I, P, B };

// Picture type code first, then filler without zero bytes, so no start
// code can appear inside.
psmux::Bytes picture(Picture type, size_t size, uint32_t& state) {
  psmux::Bytes body(size);
  body[0] = type == Picture::I ? 0xC0 : type == Picture::P ? 0x40 : 0x80;  // 110..., 0..., 10...
  for (size_t i = 1; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    body[i] = uint8_t(1 + (state >> 24) % 255);
  }
  return body;
}

}  // namespace

std::vector<psmux::AccessUnit> vc1Units(size_t groups, uint64_t firstPts, uint32_t seed) {
  // Presentation order I B P B P ... B P; each P is sent before the B it follows.
  static const size_t kShown[kVc1GroupLength] = {0, 2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 12, 11, 14, 13};
  const psmux::Bytes sequence = sequenceHeader();
  const psmux::Bytes entry = entryPoint();
  uint32_t state = seed;
  std::vector<psmux::AccessUnit> units;
  for (size_t i = 0; i < groups * kVc1GroupLength; ++i) {
    const size_t group = i / kVc1GroupLength;
    const size_t inGroup = i % kVc1GroupLength;
    const size_t shown = kShown[inGroup];
    const Picture type = shown == 0 ? Picture::I : shown % 2 == 0 ? Picture::P : Picture::B;
    psmux::AccessUnit unit;
    if (type == Picture::I) {
      append(unit.data, 0x0F, sequence);
      append(unit.data, 0x0E, entry);
    }
    append(unit.data, 0x0D, picture(type, type == Picture::I ? 5000 : type == Picture::P ? 1800 : 600, state));
    unit.pts = firstPts + (group * kVc1GroupLength + shown) * kVc1FrameTicks;
    const uint64_t dts = firstPts - kVc1FrameTicks + i * kVc1FrameTicks;
    if (dts != unit.pts) unit.dts = dts;
    unit.duration = kVc1FrameTicks;
    unit.randomAccess = type == Picture::I;
    unit.reference = type != Picture::B;
    units.push_back(std::move(unit));
  }
  return units;
}

}  // namespace vantrel::sample
