#include "analyzers/vc1.h"

#include <cmath>
#include <string>

#include "analyzers/analyzers.h"
#include "analyzers/bit_reader.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

constexpr uint32_t kSequenceHeaderStartCode = 0x0000010F;

// FRAMERATENR codes 1 to 7 (index 0 unused).
constexpr std::array<uint32_t, 8> kNumerators = {0,     24000, 25000, 30000,
                                                 50000, 60000, 48000, 72000};
// FRAMERATEDR codes 1 and 2 (index 0 unused).
constexpr std::array<uint32_t, 3> kDenominators = {0, 1000, 1001};

static_assert(aspectRatioNames[15] == "[bl]3:2[/bl]\"");

std::string bl(uint32_t value) {
  return "[bl]" + std::to_string(value) + "[/bl]";
}

}  // namespace

Vc1FrameRate vc1FrameRate(const Vc1SequenceHeader& h) {
  Vc1FrameRate rate;
  if (!h.frameRate) return rate;
  const Vc1FrameRateFields& f = *h.frameRate;
  if (f.explicitRate) {
    rate.value = (f.exponent + 1) / 32.0;
    return rate;
  }
  rate.numerator = f.numeratorCode;
  if (f.numeratorCode == 0)
    rate.forbiddenNumerator = true;
  else if (f.numeratorCode < kNumerators.size())
    rate.numerator = kNumerators[f.numeratorCode];
  else
    rate.reservedNumerator = true;
  rate.denominator = f.denominatorCode;
  if (f.denominatorCode == 0)
    rate.forbiddenDenominator = true;
  else if (f.denominatorCode < kDenominators.size())
    rate.denominator = kDenominators[f.denominatorCode];
  else
    rate.reservedDenominator = true;
  if (h.pulldown && rate.numerator == 30000) rate.numerator = 24000;
  if (rate.denominator != 0) rate.value = double(rate.numerator) / rate.denominator;
  return rate;
}

Vc1SequenceHeader parseVc1(const Payload& payload) {
  Vc1SequenceHeader h;
  BitReader r(payload.loaded);
  r.start(payload.position);
  // Search the sequence header; without one the fields come from the bytes
  // at the payload's end, as the header would be read there.
  while (r.cursor() + 1 < payload.end() && r.window() != kSequenceHeaderStartCode) r.skip(8);
  r.skip(32);
  h.profile = static_cast<uint8_t>(r.read(2));          // PROFILE
  h.level = static_cast<uint8_t>(r.read(3));            // LEVEL
  h.colordiffFormat = static_cast<uint8_t>(r.read(2));  // COLORDIFF_FORMAT
  r.skip(3 + 5 + 1);  // FRMRTQ_POSTPROC, BITRTQ_POSTPROC, POSTPROCFLAG
  h.maxCodedWidth = static_cast<uint16_t>(r.read(12));   // MAX_CODED_WIDTH
  h.maxCodedHeight = static_cast<uint16_t>(r.read(12));  // MAX_CODED_HEIGHT
  h.pulldown = r.readFlag();                             // PULLDOWN
  h.interlace = r.readFlag();                            // INTERLACE
  r.skip(3);                                             // TFCNTRFLAG, FINTERPFLAG, RESERVED
  h.psf = r.readFlag();                                  // PSF
  h.displayExtension = r.readFlag();                     // DISPLAY_EXT
  if (!h.displayExtension) return h;
  h.displayWidth = static_cast<uint16_t>(r.read(14));   // DISP_HORIZ_SIZE
  h.displayHeight = static_cast<uint16_t>(r.read(14));  // DISP_VERT_SIZE
  if (r.readFlag()) {                                   // ASPECT_RATIO_FLAG
    h.aspectRatio = static_cast<uint8_t>(r.read(4));    // ASPECT_RATIO
    if (*h.aspectRatio == 15) {
      h.aspectWidth = static_cast<uint8_t>(r.read(8));   // ASPECT_HORIZ_SIZE
      h.aspectHeight = static_cast<uint8_t>(r.read(8));  // ASPECT_VERT_SIZE
    }
  }
  if (r.readFlag()) {  // FRAMERATE_FLAG
    Vc1FrameRateFields f;
    f.explicitRate = r.readFlag();  // FRAMERATEIND
    if (f.explicitRate) {
      f.exponent = static_cast<uint16_t>(r.read(16));  // FRAMERATEEXP
    } else {
      f.numeratorCode = static_cast<uint8_t>(r.read(8));    // FRAMERATENR
      f.denominatorCode = static_cast<uint8_t>(r.read(4));  // FRAMERATEDR
    }
    h.frameRate = f;
  }
  // COLOR_FORMAT_FLAG and the colour fields, and the HRD parameters after
  // them, are not needed.
  return h;
}

void describeVc1(const Vc1SequenceHeader& h, Host& host) {
  host.log(h.profile == 3 ? "   Profile = Advanced" : "   Profile = Reserved");
  host.log(h.level <= 4 ? "   Level = " + std::to_string(h.level) : "   Level = Reserved");
  host.log(h.colordiffFormat == 1 ? "   Chroma Format = [bl]4:2:0[/bl]"
                                  : "   Chroma Format = Reserved");
  host.log("   Size = " + bl(h.codedWidth()) + "x" + bl(h.codedHeight()));
  if (h.psf) host.log("  Progressive segmented frames.");
  if (!h.displayExtension) return;
  host.log("   Display size = " + bl(h.displayWidth + 1u) + "x" + bl(h.displayHeight + 1u));
  if (h.aspectRatio) {
    if (*h.aspectRatio == 15)
      host.log("   Aspect ratio = " + std::to_string(h.aspectWidth) + ":" +
               std::to_string(h.aspectHeight));
    else
      host.log("   Aspect ratio = " + std::string(aspectRatioNames[*h.aspectRatio & 15]));
  }
  if (!h.frameRate) return;
  Vc1FrameRate rate = vc1FrameRate(h);
  if (h.frameRate->explicitRate) {
    host.log("   Frame Rate = [bl]" + formatFloat(*rate.value) + "[/bl]");
    return;
  }
  if (rate.forbiddenNumerator) host.log("   Forbidden Frame Rate!");
  if (rate.reservedNumerator) host.log("   Reserved Frame Rate!");
  if (rate.forbiddenDenominator) host.log("   Forbidden Frame Rate!");
  if (rate.reservedDenominator) host.log("   Reserved Frame Rate!");
  if (!rate.value) return;  // nothing to divide by
  double rounded = std::round(*rate.value * 1000.0) / 1000.0;
  host.log("   Frame Rate = [bl]" + formatFloat(rounded) + "[/bl] (" +
           std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator) + ")");
}

std::optional<double> analyzeVc1(const Payload& payload, Host& host) {
  Vc1SequenceHeader header = parseVc1(payload);
  describeVc1(header, host);
  return vc1FrameRate(header).value;
}

}  // namespace vantrel
