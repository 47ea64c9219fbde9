#include "metadata/disc_time.h"

#include <array>

#include "common/text_format.h"

namespace vantrel {

namespace {
constexpr size_t kMaxFieldDigits = 9;  // keeps every product within 64 bits

// A field of decimal digits, or 0.
int64_t fieldValue(std::string_view field) {
  if (field.empty() || field.size() > kMaxFieldDigits) return 0;
  int64_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}
}  // namespace

TimeBase timeBaseOf(std::string_view timeBase) {
  if (!timeBase.ends_with("fps")) return {};
  const int64_t rate = fieldValue(timeBase.substr(0, timeBase.size() - 3));
  if (rate < 1 || rate > 1000) return {};
  // The 59.94 Hz family (24, 30, 60) runs 1.001 slow; 25 and 50 Hz do not.
  return TimeBase{int(rate), rate == 24 || rate == 30 || rate == 60};
}

int64_t timeCodeTicks(std::string_view timeCode, TimeBase base) {
  std::array<int64_t, 4> fields{};  // HH, MM, SS, FF
  for (size_t i = 0; i < fields.size() && !timeCode.empty(); ++i) {
    const size_t colon = timeCode.find(':');
    fields[i] = fieldValue(timeCode.substr(0, colon));
    timeCode = colon == std::string_view::npos ? std::string_view() : timeCode.substr(colon + 1);
  }
  return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * base.rate + fields[3];
}

int64_t discMilliseconds(std::string_view timeCode, TimeBase base) {
  // ms = ticks * 1000 * (1.001 or 1) / rate, rounded half up.
  const int64_t numerator = timeCodeTicks(timeCode, base) * (base.ntsc ? 1001 : 1000);
  return (2 * numerator + base.rate) / (2 * int64_t(base.rate));
}

std::string discTimeText(std::string_view timeCode, TimeBase base) {
  return clockText(discMilliseconds(timeCode, base));
}

std::string clockText(int64_t ms) {
  return zeroPadded(ms / 3'600'000, 2) + ":" + zeroPadded(ms / 60'000 % 60, 2) + ":" +
         zeroPadded(ms / 1000 % 60, 2) + "." + zeroPadded(ms % 1000, 3);
}

}  // namespace vantrel
