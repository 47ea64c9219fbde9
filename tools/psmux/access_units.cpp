#include "tools/psmux/access_units.h"

#include <algorithm>

namespace vantrel::psmux {

bool ListSource::next(AccessUnitView& unit) {
  if (units_.empty()) return false;
  if (index_ == units_.size()) {
    index_ = 0;
    ++round_;
  }
  if (round_ >= repeats_) return false;
  unit = units_[index_++].view();
  const uint64_t shift = round_ * period_;
  unit.pts += shift;
  if (unit.dts) *unit.dts += shift;
  return true;
}

uint64_t presentationSpan(const std::vector<AccessUnit>& units) {
  if (units.empty()) return 0;
  uint64_t first = UINT64_MAX;
  uint64_t end = 0;
  for (const AccessUnit& unit : units) {
    first = std::min(first, unit.pts);
    end = std::max(end, unit.pts + unit.duration);
  }
  return end - first;
}

}  // namespace vantrel::psmux
