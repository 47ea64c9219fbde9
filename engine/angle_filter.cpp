#include "engine/angle_filter.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/navigation.h"
#include "engine/program_stream.h"

namespace vantrel {

namespace {

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// The DSI body of a navigation pack, or null: 00 00 01 BF, its length, substream 01;
// at 1287 in HD DVD packs, at 1024 in DVD ones.
uint8_t* dsiBodyOf(uint8_t* pack) {
  const uint8_t* system = pack + kPackHeaderSize;  // navigation packs open with a system header
  if (system[0] != 0 || system[1] != 0 || system[2] != 1 || system[3] != 0xBB) return nullptr;
  for (size_t at : {size_t(1287), size_t(1024)}) {
    uint8_t* p = pack + at;
    if (p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0xBF && p[6] == 0x01) return p + kPesPrefixSize + 1;
  }
  return nullptr;
}

// Seamless playback fields after the category: the unit's ILVU end address,
// the next ILVU's start and size.
constexpr size_t kIlvuEndAt = 34, kNextIlvuStartAt = 38, kFieldsEnd = 44;

}  // namespace

AngleFilter::AngleFilter(int angle, Host& host, int* blocksWithoutAngle, bool keeping)
    : wanted_(angle), host_(host), blocksWithoutAngle_(blocksWithoutAngle), keeping_(keeping) {}

void AngleFilter::unitStarts(const uint8_t* dsiBody) {
  if (!(be16(dsiBody + dsi::kCategoryAt) & dsi::kInInterleavedUnit)) {
    blockEnds();
    keeps_ = true;
    return;
  }
  const uint16_t vobId = be16(dsiBody + dsi::kVobNumberAt);
  const auto met = vobIds_.begin() + angles_;
  const auto known = std::find(vobIds_.begin(), met, vobId);
  int angle = int(known - vobIds_.begin()) + 1;
  if (known == met) {
    if (angles_ < kMaxAngles) vobIds_[size_t(angles_++)] = vobId;
    angle = angles_;
  } else if (angle == 1 && current_ != 1) {
    report();  // angle 1 again after the others: every angle was met
  }
  current_ = angle;
  keeps_ = !keeping_ || angle == wanted_;
}

void AngleFilter::report() {
  if (angles_ == 0 || reported_) return;
  reported_ = true;
  std::string line = "Interleaved angle block of [b]" + std::to_string(angles_) + "[/b] angles";
  if (!keeping_)
    line += ".";
  else if (wanted_ <= angles_)
    line += ": angle [b]" + std::to_string(wanted_) + "[/b] is kept.";
  else {
    if (blocksWithoutAngle_) ++*blocksWithoutAngle_;
    line = "[re]" + line + ": it has no angle " + std::to_string(wanted_) + ", none of it is kept.[/re]";
  }
  host_.log(line);
}

void AngleFilter::blockEnds() {
  report();
  angles_ = 0;
  current_ = 0;
  reported_ = false;
}

bool AngleFilter::keepPack(uint8_t* pack) {
  if (uint8_t* body = dsiBodyOf(pack)) {
    unitStarts(body);
    if (keeps_ && angles_ > 0 && keeping_) {
      body[dsi::kCategoryAt] &= 0x0F;  // no longer in an interleaved unit
      std::memset(body + kIlvuEndAt, 0, kFieldsEnd - kIlvuEndAt);
      const uint8_t noNextUnit[4] = {0x7F, 0xFF, 0xFF, 0xFF};
      std::memcpy(body + kNextIlvuStartAt, noNextUnit, sizeof noNextUnit);
    }
  }
  return keeps_;
}

void AngleFilter::finish() { blockEnds(); }

}  // namespace vantrel
