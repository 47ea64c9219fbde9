#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Sample aspect ratio names by H.264's aspect_ratio_idc 0 to 15 (ITU-T
// H.264 Table E-1). VC-1's ASPECT_RATIO (SMPTE 421M) means the same ratios
// for 0 to 13; its 14 is reserved and 15 announces explicit sizes. The last
// text ends in a double-quote character, as the log has always shown it.
inline constexpr std::array<std::string_view, 16> aspectRatioNames = {
    "unspecified",
    "[bl]1:1[/bl] (square samples)",
    "[bl]12:11[/bl] (704x576 4:3)",
    "[bl]10:11[/bl] (704x480 4:3)",
    "[bl]16:11[/bl] (704x576 16:9)",
    "[bl]40:33[/bl] (704x480 16:9)",
    "[bl]24:11[/bl] (352x576 4:3)",
    "[bl]20:11[/bl] (352x480 4:3)",
    "[bl]32:11[/bl] (352x576 16:9)",
    "[bl]80:33[/bl] (352x480 16:9)",
    "[bl]18:11[/bl] (48$576 4:3)",
    "[bl]15:11[/bl] (48$480 4:3)",
    "[bl]64:33[/bl] (528x576 16:9)",
    "[bl]160:99[/bl] (528x480 16:9)",
    "[bl]4:3[/bl]",
    "[bl]3:2[/bl]\""};

// Frame rate fields of the display extension (SMPTE 421M 6.1.14).
struct Vc1FrameRateFields {
  bool explicitRate = false;    // FRAMERATEIND
  uint16_t exponent = 0;        // FRAMERATEEXP: rate = (FRAMERATEEXP + 1) / 32
  uint8_t numeratorCode = 0;    // FRAMERATENR: 1-7 = 24, 25, 30, 50, 60, 48, 72 (x 1000)
  uint8_t denominatorCode = 0;  // FRAMERATEDR: 1 = 1000, 2 = 1001
};

// The Advanced-profile sequence header (SMPTE 421M 6.1), up to the colour
// format fields. The fields up to DISPLAY_EXT are always there; each group
// of the display extension only when the header held all of it.
struct Vc1SequenceHeader {
  uint8_t profile = 0;            // PROFILE (3 = Advanced)
  uint8_t level = 0;              // LEVEL
  uint8_t colordiffFormat = 0;    // COLORDIFF_FORMAT (1 = 4:2:0)
  uint16_t maxCodedWidth = 0;     // MAX_CODED_WIDTH: width / 2 - 1
  uint16_t maxCodedHeight = 0;    // MAX_CODED_HEIGHT: height / 2 - 1
  bool pulldown = false;          // PULLDOWN
  bool interlace = false;         // INTERLACE
  bool psf = false;               // PSF: progressive segmented frames
  bool displayExtension = false;  // DISPLAY_EXT

  struct DisplaySize {
    uint16_t horizontal = 0;  // DISP_HORIZ_SIZE: width - 1
    uint16_t vertical = 0;    // DISP_VERT_SIZE: height - 1
  };
  std::optional<DisplaySize> displaySize;
  // ASPECT_RATIO, when ASPECT_RATIO_FLAG is set; for 15 the explicit sizes.
  struct AspectRatio {
    uint8_t code = 0;
    uint8_t horizontal = 0;  // ASPECT_HORIZ_SIZE: the ratio's width - 1
    uint8_t vertical = 0;    // ASPECT_VERT_SIZE: its height - 1
  };
  std::optional<AspectRatio> aspectRatio;
  static constexpr uint8_t kReservedAspectRatio = 14;
  static constexpr uint8_t kExplicitAspectRatio = 15;
  std::optional<Vc1FrameRateFields> frameRate;  // when FRAMERATE_FLAG is set

  uint32_t codedWidth() const { return 2u * maxCodedWidth + 2; }
  uint32_t codedHeight() const { return 2u * maxCodedHeight + 2; }
};

// The frame rate as the header gives it. The numerator and denominator are
// the table values, or the raw codes where the table has no value; with
// pulldown a 30000 numerator becomes 24000 (film carried at 29.97).
struct Vc1FrameRate {
  bool forbiddenNumerator = false;
  bool reservedNumerator = false;
  bool forbiddenDenominator = false;
  bool reservedDenominator = false;
  uint32_t numerator = 0;
  uint32_t denominator = 0;
  // Frames per second as the codes divide; absent when the denominator code
  // is forbidden (0), which leaves nothing to divide by.
  std::optional<double> value;

  // The rate, when every code the header used has one: what the frame
  // report divides by.
  std::optional<double> known() const;
};
Vc1FrameRate vc1FrameRate(const Vc1SequenceHeader& header);

// Finds the sequence header in the payload and parses as much of it as the
// payload holds. Nothing when there is none, or it ends before DISPLAY_EXT.
std::optional<Vc1SequenceHeader> parseVc1(const Payload& payload);
void describeVc1(const Vc1SequenceHeader& header, Host& host);

}  // namespace vantrel
