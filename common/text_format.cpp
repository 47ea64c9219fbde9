#include "common/text_format.h"

#include <atomic>
#include <cmath>
#include <cstdio>

namespace vantrel {

namespace {
std::atomic<char> gDecimalSeparator{'.'};
std::atomic<char> gTimeSeparator{':'};
}  // namespace

void setDecimalSeparator(char separator) { gDecimalSeparator = separator; }
char decimalSeparator() { return gDecimalSeparator; }
void setTimeSeparator(char separator) { gTimeSeparator = separator; }
char timeSeparator() { return gTimeSeparator; }

std::string hex2(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
  return text;
}

std::string hex4(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
  return text;
}

std::string hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

std::string formatFloat(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  std::string result = text;
  char separator = decimalSeparator();
  if (separator != '.') {
    for (char& c : result)
      if (c == '.') c = separator;
  }
  return result;
}

namespace {
constexpr int64_t kMillisecondsPerDay = 86'400'000;

std::string timeOfDay(int64_t milliseconds, bool withMilliseconds) {
  milliseconds %= kMillisecondsPerDay;
  if (milliseconds < 0) milliseconds += kMillisecondsPerDay;
  int64_t hours = milliseconds / 3'600'000;
  int64_t minutes = milliseconds / 60'000 % 60;
  int64_t secs = milliseconds / 1000 % 60;
  int64_t millis = milliseconds % 1000;
  char sep = timeSeparator();
  char text[48];
  if (withMilliseconds) {
    std::snprintf(text, sizeof text, "%lld%c%02lld%c%02lld%c%03lld", (long long)hours, sep,
                  (long long)minutes, sep, (long long)secs, '.', (long long)millis);
  } else {
    std::snprintf(text, sizeof text, "%lld%c%02lld%c%02lld", (long long)hours, sep,
                  (long long)minutes, sep, (long long)secs);
  }
  return text;
}
}  // namespace

std::string durationText(double seconds) {
  if (!std::isfinite(seconds)) seconds = 0;
  double ms = std::round(seconds * 1000.0);
  if (std::fabs(ms) > 9.0e15) ms = std::fmod(ms, double(kMillisecondsPerDay));
  return timeOfDay(int64_t(ms), true);
}

std::string timeOfDayText(double seconds) {
  if (!std::isfinite(seconds)) seconds = 0;
  double ms = std::floor(seconds) * 1000.0;
  if (std::fabs(ms) > 9.0e15) ms = std::fmod(ms, double(kMillisecondsPerDay));
  return timeOfDay(int64_t(ms), false);
}

int64_t roundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  if (value > 9.2e18) return INT64_MAX;
  if (value < -9.2e18) return INT64_MIN;
  return int64_t(std::nearbyint(value));  // the default rounding mode rounds halves to even
}

std::string zeroPadded(int64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", width, (long long)value);
  return text;
}

}  // namespace vantrel
