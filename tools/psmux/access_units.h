#pragma once

// Elementary streams as the muxer takes them: access units in decoding
// order, each with its presentation time stamp and, for reordered video,
// its decoding time stamp.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

// One access unit: a video picture, an audio frame or a subpicture unit.
// Times are 90 kHz ticks.
struct AccessUnitView {
  const uint8_t* data = nullptr;
  size_t size = 0;
  uint64_t pts = 0;
  std::optional<uint64_t> dts;  // absent when equal to the PTS
  uint32_t duration = 0;        // how long it is presented; 0 when unknown
  bool randomAccess = false;    // video: decoding can start here (a video object unit may)
  bool reference = false;       // video: an I or P picture that later pictures may predict from
};

// An access unit that owns its bytes.
struct AccessUnit {
  Bytes data;
  uint64_t pts = 0;
  std::optional<uint64_t> dts;
  uint32_t duration = 0;
  bool randomAccess = false;
  bool reference = false;

  AccessUnitView view() const {
    return AccessUnitView{data.data(), data.size(), pts, dts, duration, randomAccess, reference};
  }
};

// Hands out one stream's access units in decoding order. The bytes of a
// unit stay valid for as long as the source lives, so the muxer may look
// one unit ahead.
class AccessUnitSource {
 public:
  virtual ~AccessUnitSource() = default;
  // Fills `unit` and returns true, or returns false at the end of the stream.
  virtual bool next(AccessUnitView& unit) = 0;
};

// A list of access units handed out `repeats` times; each round's time
// stamps are `period` ticks later than the round before, so a short stream
// can be stretched into a long one with time stamps that keep increasing.
class ListSource final : public AccessUnitSource {
 public:
  explicit ListSource(const std::vector<AccessUnit>& units, uint64_t repeats = 1,
                      uint64_t period = 0)
      : units_(units), repeats_(repeats), period_(period) {}
  bool next(AccessUnitView& unit) override;

 private:
  const std::vector<AccessUnit>& units_;
  uint64_t repeats_;
  uint64_t period_;
  uint64_t round_ = 0;
  size_t index_ = 0;
};

// The time the units of a list cover: from the earliest presentation time
// to the latest presentation end (PTS + duration).
uint64_t presentationSpan(const std::vector<AccessUnit>& units);

}  // namespace vantrel::psmux
