#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Log lines by aspect_ratio_information (ISO/IEC 13818-2 Table 6-3).
inline constexpr std::array<std::string_view, 16> mpeg2AspectRatioLines = {
    "   Aspect ratio = forbidden",       "   Aspect ratio = [bl]1:1[/bl] (square samples)",
    "   Aspect ratio = [bl]4:3[/bl]",    "   Aspect ratio = [bl]16:9[/bl]",
    "   Aspect ratio = [bl]2.21:1[/bl]", "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved"};

// Log lines by frame_rate_code (ISO/IEC 13818-2 Table 6-4).
inline constexpr std::array<std::string_view, 16> mpeg2FrameRateLines = {
    "   Frame rate = forbidden",          "   Frame rate = [bl]23.976[/bl] fps",
    "   Frame rate = [bl]24[/bl] fps",    "   Frame rate = [bl]25[/bl] fps",
    "   Frame rate = [bl]29.97[/bl] fps", "   Frame rate = [bl]30[/bl] fps",
    "   Frame rate = [bl]50[/bl] fps",    "   Frame rate = [bl]59.94[/bl] fps",
    "   Frame rate = [bl]60[/bl] fps",    "   Frame rate = reserved",
    "   Frame rate = reserved",           "   Frame rate = reserved",
    "   Frame rate = reserved",           "   Frame rate = reserved",
    "   Frame rate = reserved",           "   Frame rate = reserved"};

// The rate stored for the frame report by frame_rate_code; forbidden and
// reserved codes store 1 so that the report never divides by zero.
inline constexpr std::array<double, 16> mpeg2FrameRates = {1.0,
                                                           24000.0 / 1001.0,
                                                           24.0,
                                                           25.0,
                                                           30000.0 / 1001.0,
                                                           30.0,
                                                           50.0,
                                                           60000.0 / 1001.0,
                                                           60.0,
                                                           1.0,
                                                           1.0,
                                                           1.0,
                                                           1.0,
                                                           1.0,
                                                           1.0,
                                                           1.0};

// What the walk over the payload meets, in order. Each becomes one or two
// log lines.
namespace mpeg2 {
// The first sequence_header_code, after `picturesBefore` picture coding
// extensions.
struct SequenceHeaderFound {
  int picturesBefore = 0;
};
struct PictureSize {
  uint16_t width = 0;   // horizontal_size_value
  uint16_t height = 0;  // vertical_size_value
};
struct AspectAndFrameRate {
  uint8_t aspectRatio = 0;  // aspect_ratio_information
  uint8_t frameRate = 0;    // frame_rate_code
};
struct BitRate {
  uint32_t value = 0;  // bit_rate_value, units of 400 bit/s
};
struct IllegalPictureType {
  uint8_t type = 0;  // picture_coding_type 0 or 4-7
};
// The second picture after the first sequence header: where the stream's
// first time stamp is reported.
struct FirstPictureTimeStamp {};
struct ProgressiveSequence {
  bool progressive = false;  // progressive_sequence
};
}  // namespace mpeg2

using Mpeg2Event =
    std::variant<mpeg2::SequenceHeaderFound, mpeg2::PictureSize, mpeg2::AspectAndFrameRate,
                 mpeg2::BitRate, mpeg2::IllegalPictureType, mpeg2::FirstPictureTimeStamp,
                 mpeg2::ProgressiveSequence>;

struct Mpeg2VideoAnalysis {
  std::vector<Mpeg2Event> events;
  // The values as finally read (a later sequence header read before the
  // sequence extension replaces earlier ones).
  std::optional<mpeg2::PictureSize> size;
  std::optional<mpeg2::AspectAndFrameRate> aspectAndFrameRate;
  // bit/s; absent for bit_rate_value 0 (forbidden) and 0x3FFFF, which
  // marks a variable bit rate rather than giving one.
  std::optional<uint32_t> bitRate;
  std::optional<bool> progressive;

  // The rate for the frame report, when a sequence header gave one.
  std::optional<double> frameRate() const;
};

Mpeg2VideoAnalysis parseMpeg2Video(const Payload& payload);
void describeMpeg2Video(const Mpeg2VideoAnalysis& analysis, uint32_t firstPts, Host& host);

}  // namespace vantrel
