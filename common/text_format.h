#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Separators of the user's locale; the front ends set them at start-up.
void setDecimalSeparator(char separator);
char decimalSeparator();
void setTimeSeparator(char separator);
char timeSeparator();

// Upper-case hexadecimal with a fixed number of digits ("%08X" and friends).
std::string hex2(uint32_t value);
std::string hex4(uint32_t value);
std::string hex8(uint32_t value);

// Shortest general form with up to 15 significant digits and the locale's
// decimal separator: 23.976, 24, 0.03125, 44.1.
std::string formatFloat(double value);

// A number of seconds shown as a time of day "h:mm:ss.zzz" (hours without a
// leading zero, milliseconds rounded; whole days are dropped).
std::string durationText(double seconds);

// A number of seconds shown as a time of day "h:mm:ss" (whole seconds,
// truncated; whole days are dropped). Used for remaining-time estimates.
std::string timeOfDayText(double seconds);

// The nearest integer, an exact half going to the even neighbour.
int64_t roundHalfEven(double value);

// Decimal digits with at least `width` digits, zero-padded: (3, 2) -> "03".
std::string zeroPadded(int64_t value, int width);

}  // namespace vantrel
