#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The clock of a playlist's title timelines. A time code "HH:MM:SS:FF"
// counts ((HH * 60 + MM) * 60 + SS) * rate + FF ticks. At "60fps" (the time
// base of every disc) a tick is one field of 59.94 Hz video, 1.001/60 s, so a
// title's clock runs 3.6 s per hour behind the time code read as a clock;
// at "50fps" a tick is 1/50 s.
struct TimeBase {
  int rate = 60;
  bool ntsc = true;  // ticks last 1.001/rate s
  bool operator==(const TimeBase&) const = default;
};

// The TitleSet's timeBase; 60fps when it is missing or not "<N>fps".
TimeBase timeBaseOf(std::string_view timeBase);

// The ticks of a time code. Missing fields count 0, as does a field that is
// not a decimal number; fields after the fourth are ignored.
int64_t timeCodeTicks(std::string_view timeCode, TimeBase base);

// The time code as disc time in milliseconds, rounded to the nearest.
int64_t discMilliseconds(std::string_view timeCode, TimeBase base);

// Milliseconds as "HH:MM:SS.mmm" (hours with at least two digits), the form
// of chapter files.
std::string clockText(int64_t ms);

// The time code as disc time "HH:MM:SS.mmm" (hours with at least two digits),
// the form of chapter files: 01:00:00:00 at 60fps -> 01:00:03.600.
std::string discTimeText(std::string_view timeCode, TimeBase base);

}  // namespace vantrel
