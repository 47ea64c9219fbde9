#include "analyzers/dvd_audio_tables.h"

namespace vantrel {

// A slipped line in the tables would shift every later name.
static_assert(channelAssignmentNames[0] == "C (mono)");
static_assert(channelAssignmentNames[20] == "Lf + Rf + Ls + Rs + C + LFE");
static_assert(channelAssignmentNames[21].empty() && channelAssignmentNames[31].empty());
static_assert(wordLengthNames[2] == "24" && wordLengthNames[3].empty());
static_assert(samplingRateNames[2] == "192" && samplingRateNames[3].empty());
static_assert(samplingRateNames[8] == "44.1" && samplingRateNames[10] == "176.4");
static_assert(samplingRateNames[11].empty());

double dynamicRangeDb(unsigned code) {
  unsigned exponent = (code >> 5) & 7;
  unsigned mantissa = code & 0x1F;
  return 24.082 - 6.0206 * exponent - 0.2007 * mantissa;
}

int wordLengthBits(unsigned code) {
  switch (code) {
    case 0:
      return 16;
    case 1:
      return 20;
    case 2:
      return 24;
    default:
      return 0;
  }
}

int samplingRateHz(unsigned code) {
  switch (code) {
    case 0:
      return 48000;
    case 1:
      return 96000;
    case 2:
      return 192000;
    case 8:
      return 44100;
    case 9:
      return 88200;
    case 10:
      return 176400;
    default:
      return 0;
  }
}

int channelAssignmentChannels(unsigned code) {
  // The channels named in each entry of channelAssignmentNames.
  static constexpr std::array<int, 21> kChannels = {1, 2, 3, 4, 3, 4, 5, 3, 4, 5, 4,
                                                    5, 6, 4, 5, 4, 5, 6, 5, 5, 6};
  return code < kChannels.size() ? kChannels[code] : 0;
}

}  // namespace vantrel
