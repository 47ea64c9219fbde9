#include "analyzers/ac3.h"

#include <string>

#include "analyzers/analyzers.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

constexpr uint16_t kSyncWord = 0x0B77;
constexpr int kHeaderBytes = 5;

static_assert(ac3BitRates[15] == 448000 && ac3BitRates[18] == 640000);
static_assert(ac3ChannelModes[7] == "L + R + C + Ls + Rs");

// E-AC-3 frames carry no bit rate code: the rate follows from the frame
// size and the frame duration (256 samples per block).
uint32_t eac3BitRate(const Ac3FrameHeader& h) {
  uint64_t bits = uint64_t{h.frameBytes()} * 8;
  return static_cast<uint32_t>(bits * h.sampleRate / (256u * h.blocks));
}

// AC-3 lfeon follows acmod and the mix level fields that acmod calls for
// (cmixlev, surmixlev, dsurmod); with at most 7 bits before it, it always
// lies in the same byte as acmod.
uint8_t ac3Lfeon(uint8_t acmod, uint8_t byte) {
  int bit = 3;
  if ((acmod & 1) && acmod != 1) bit += 2;  // cmixlev
  if (acmod & 4) bit += 2;                  // surmixlev
  if (acmod == 2) bit += 2;                 // dsurmod
  return (byte >> (7 - bit)) & 1;
}

std::string kHz(uint32_t hertz) {
  return formatFloat(hertz / 1000.0);
}

}  // namespace

int Ac3FrameHeader::channelCount() const {
  static constexpr std::array<int, 8> kFullBand = {2, 1, 2, 3, 3, 4, 4, 5};
  return kFullBand[acmod & 7] + (lfeon ? 1 : 0);
}

Ac3Analysis parseAc3(const Payload& payload) {
  Ac3Analysis analysis;
  Ac3FrameHeader h;
  uint16_t shift = 0;
  bool armed = true;  // looking for a sync word
  int countdown = 0;  // header bytes still to take
  for (size_t i = payload.position; i < payload.end(); ++i) {
    uint8_t b = payload.at(i);
    shift = static_cast<uint16_t>(shift << 8 | b);
    if (shift == kSyncWord) {
      // A sync word inside a header being taken is passed over.
      if (armed) {
        countdown = kHeaderBytes;
        armed = false;
        h = {};
      }
      continue;
    }
    if (countdown == 0) continue;
    --countdown;
    switch (kHeaderBytes - countdown) {
      case 1:  // E-AC-3: strmtyp (2), substreamid (3), frmsiz high bits
        h.frmsiz = static_cast<uint16_t>((b & 7) << 8);
        break;
      case 2:  // frmsiz low bits
        h.frmsiz = static_cast<uint16_t>(h.frmsiz | b);
        break;
      case 3:  // fscod (2), frmsizecod (6) / numblkscod (2), acmod (3), lfeon (1)
        h.fscod = b >> 6;
        h.frmsizecod = b & 0x3F;
        h.numblkscod = (b >> 4) & 3;
        h.sampleRate = ac3SampleRates[h.fscod];
        h.bitRate = h.frmsizecod / 2 < ac3BitRates.size() ? ac3BitRates[h.frmsizecod / 2] : 0;
        h.blocks = eac3BlocksPerFrame[h.numblkscod];
        h.acmod = (b >> 1) & 7;
        h.lfeon = b & 1;
        break;
      case 4:  // bsid (5), bsmod (3)
        h.bsid = b >> 3;
        h.bsmod = b & 7;
        break;
      case 5:
        if (h.enhanced()) {
          if (h.fscod == kEac3ReducedRateFscod) {
            h.fscod2 = h.numblkscod;
            h.sampleRate = eac3ReducedSampleRates[h.fscod2];
            h.numblkscod = 3;
            h.blocks = 6;
          }
          if (h.sampleRate == 0)
            armed = true;
          else
            h.bitRate = eac3BitRate(h);
        } else {
          h.acmod = b >> 5;  // AC-3: acmod (3)
          h.lfeon = ac3Lfeon(h.acmod, b);
          // What the E-AC-3 layout read from bytes 1-3 means nothing here.
          h.frmsiz = 0;
          h.numblkscod = 3;
          h.blocks = 6;
          if (h.sampleRate == 0 || h.bitRate == 0) armed = true;
        }
        analysis.frames.push_back(h);
        break;
    }
  }
  return analysis;
}

void describeAc3(const Ac3Analysis& analysis, int stream, Host& host) {
  for (const Ac3FrameHeader& h : analysis.frames) {
    std::string rateLine = "   Sampling frequency = [bl]" + kHz(h.sampleRate) + "[/bl] kHz";
    std::string bitRateLine =
        "   Transmission bitrate = [bl]" + std::to_string(h.bitRate / 1000) + "[/bl] kbit/s";
    std::string arrangement = "   Channel arrangement = [bl]" +
                              std::string(ac3ChannelModes[h.acmod]) +
                              "[/bl], bsid = " + std::to_string(h.bsid);
    if (h.enhanced()) {
      host.log("   Stream " + std::to_string(stream) + " is [b]Dolby Digital Plus[/b]");
      host.log("   frame size = " + std::to_string(h.frameBytes()) +
               " bytes, number of blocks per frame = " + std::to_string(h.blocks));
      host.log(rateLine);
      host.log(bitRateLine);
      host.log(arrangement);
      host.log(std::string("   LFE channel = [bl]") + (h.lfeon ? "present" : "not present") +
               "[/bl]");
    } else {
      host.log("   Stream " + std::to_string(stream) + " is [b]Dolby Digital[/b]");
      host.log(rateLine);
      host.log(bitRateLine);
      host.log(arrangement + ", bsmod =" + std::to_string(h.bsmod));
    }
  }
}

void analyzeAc3(const Payload& payload, int stream, Host& host) {
  describeAc3(parseAc3(payload), stream, host);
}

}  // namespace vantrel
