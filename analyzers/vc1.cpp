#include "analyzers/vc1.h"

#include <cmath>
#include <string>
#include <vector>

#include "analyzers/analyzers.h"
#include "analyzers/bit_reader.h"
#include "analyzers/start_code_unit.h"
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

std::optional<double> Vc1FrameRate::known() const {
  if (forbiddenNumerator || reservedNumerator || reservedDenominator) return std::nullopt;
  return value;
}

std::optional<Vc1SequenceHeader> parseVc1(const Payload& payload) {
  const auto first = findStartCode(payload, {kSequenceHeaderStartCode});
  if (!first) return std::nullopt;
  const std::vector<uint8_t> bytes = unescapedUnit(payload, *first);
  BitReader r(bytes);
  r.start(0);

  Vc1SequenceHeader h;
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
  if (r.ranOut()) return std::nullopt;
  if (!h.displayExtension) return h;

  Vc1SequenceHeader::DisplaySize size;
  size.horizontal = static_cast<uint16_t>(r.read(14));  // DISP_HORIZ_SIZE
  size.vertical = static_cast<uint16_t>(r.read(14));    // DISP_VERT_SIZE
  h.displaySize = r.whole(size);
  if (r.readFlag()) {  // ASPECT_RATIO_FLAG
    Vc1SequenceHeader::AspectRatio aspect;
    aspect.code = static_cast<uint8_t>(r.read(4));  // ASPECT_RATIO
    if (aspect.code == Vc1SequenceHeader::kExplicitAspectRatio) {
      aspect.horizontal = static_cast<uint8_t>(r.read(8));  // ASPECT_HORIZ_SIZE
      aspect.vertical = static_cast<uint8_t>(r.read(8));    // ASPECT_VERT_SIZE
    }
    h.aspectRatio = r.whole(aspect);
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
    h.frameRate = r.whole(f);
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
  if (h.displaySize)
    host.log("   Display size = " + bl(h.displaySize->horizontal + 1u) + "x" +
             bl(h.displaySize->vertical + 1u));
  if (h.aspectRatio) {
    const auto& aspect = *h.aspectRatio;
    if (aspect.code == Vc1SequenceHeader::kExplicitAspectRatio)
      host.log("   Aspect ratio = " + std::to_string(aspect.horizontal + 1) + ":" +
               std::to_string(aspect.vertical + 1));
    else if (aspect.code == Vc1SequenceHeader::kReservedAspectRatio)
      host.log("   Aspect ratio = Reserved");
    else
      host.log("   Aspect ratio = " + std::string(aspectRatioNames[aspect.code & 15]));
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
  const auto header = parseVc1(payload);
  if (!header) return std::nullopt;
  describeVc1(*header, host);
  return vc1FrameRate(*header).known();
}

}  // namespace vantrel
