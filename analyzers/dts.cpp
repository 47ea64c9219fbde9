#include "analyzers/dts.h"

#include <string>

#include "analyzers/analyzers.h"
#include "analyzers/bit_reader.h"
#include "analyzers/name_table.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

constexpr uint32_t kCoreSync = 0x7FFE8001;
constexpr uint32_t kChannelExtensionSync = 0x5A5A5A5A;
constexpr uint32_t kFrequencyExtensionSync = 0x1D95F262;

// Sample rates behind the SFREQ codes, in Hz (0: invalid or unused code).
constexpr std::array<uint32_t, 16> kSampleRates = {
    0, 8000, 16000, 32000, 0, 0, 11025, 22050, 44100, 0, 0, 12000, 24000, 48000, 0, 0};
// Bit rates behind the RATE codes, in bit/s (0: open, variable or lossless).
constexpr std::array<uint32_t, 32> kBitRates = {
    32000,   56000,   64000,   96000,   112000,  128000,  192000,  224000,
    256000,  320000,  384000,  448000,  512000,  576000,  640000,  768000,
    960000,  1024000, 1152000, 1280000, 1344000, 1408000, 1411200, 1472000,
    1536000, 1920000, 2048000, 3072000, 3840000, 0,       0,       0};
// Full-band channels of the AMODE arrangements 0 to 15.
constexpr std::array<int, 16> kChannelCounts = {1, 2, 2, 2, 2, 3, 3, 4, 4, 5, 6, 6, 6, 7, 8, 8};

// A slipped entry would shift every later text.
static_assert(dtsSamplingFrequencies[8] == "44,1" && dtsSamplingFrequencies[13] == "48");
static_assert(dtsBitRates[22] == "1411,2" && dtsBitRates[31] == "Loss-less");
static_assert(dtsChannelArrangements[9] == "C + L + R + Ls + Rs");
static_assert(dtsResolutionTexts[6] == "[bl]24[/bl] bits");

std::string_view revisionSuffix(unsigned vernum) {
  if (vernum < 7) return ", Future rev. (compatible)";
  if (vernum == 7) return ", Current";
  return ", Future rev. (incompatible";
}

DtsCoreHeader readCoreHeader(BitReader& r) {
  DtsCoreHeader h;
  r.skip(1);                                                     // FTYPE
  h.shortCount = static_cast<uint8_t>(r.read(5));                // SHORT
  h.crcPresent = r.readFlag();                                   // CPF
  h.nblks = static_cast<uint8_t>(r.read(7));                     // NBLKS
  h.fsize = static_cast<uint16_t>(r.read(14));                   // FSIZE
  h.amode = static_cast<uint8_t>(r.read(6));                     // AMODE
  h.sfreq = static_cast<uint8_t>(r.read(4));                     // SFREQ
  h.rate = static_cast<uint8_t>(r.read(5));                      // RATE
  r.skip(5);                                                     // MIX, DYNF, TIMEF, AUXF, HDCD
  h.extAudioId = static_cast<uint8_t>(r.read(3));                // EXT_AUDIO_ID
  h.extAudio = r.readFlag();                                     // EXT_AUDIO
  r.skip(1);                                                     // ASPF
  h.lff = static_cast<uint8_t>(r.read(2));                       // LFF
  r.skip(1);                                                     // HFLAG
  if (h.crcPresent) h.hcrc = static_cast<uint16_t>(r.read(16));  // HCRC
  r.skip(1);                                                     // FILTS
  h.vernum = static_cast<uint8_t>(r.read(4));                    // VERNUM
  r.skip(2);                                                     // CHIST
  h.pcmr = static_cast<uint8_t>(r.read(3));                      // PCMR
  return h;
}

struct Describer {
  Host& host;

  void operator()(const DtsCoreHeader& h) const {
    host.log("   PCM core samples = " + std::to_string(h.shortCount + 1));
    host.log("   PCM sample blocks = " + std::to_string(h.nblks + 1));
    host.log("   Primary frame byte size = " + std::to_string(h.fsize));
    std::string_view arrangement =
        h.amode < dtsChannelArrangements.size() ? dtsChannelArrangements[h.amode] : "User defined";
    host.log("   Channel arrangement = [bl]" + std::string(arrangement) + "[/bl]");
    host.log("   Sampling frequency = [bl]" + std::string(nameOf(dtsSamplingFrequencies, h.sfreq)) +
             "[/bl] kHz");
    host.log("   Transmission bitrate = [bl]" + std::string(nameOf(dtsBitRates, h.rate)) +
             "[/bl] kbit/s");
    if (h.extAudio)
      host.log("   Extension audio = " + std::string(nameOf(dtsExtensionNames, h.extAudioId)));
    host.log("   LFE channel = " + std::string(nameOf(dtsLfeTexts, h.lff)));
    if (h.hcrc) host.log("   Header CRC = " + hex4(*h.hcrc));
    host.log("   Encoder software rev. = " + std::to_string(h.vernum) +
             std::string(revisionSuffix(h.vernum)));
    host.log("   Source PCM resolution = " + std::string(nameOf(dtsResolutionTexts, h.pcmr)));
  }
  void operator()(const DtsChannelExtension&) const { host.log("   Channel extension found"); }
  void operator()(const DtsFrequencyExtension&) const {
    host.log("   Frequency extensiond found ([bl]96[/bl] kHz)");
  }
};

}  // namespace

std::optional<uint32_t> DtsCoreHeader::sampleRateHz() const {
  uint32_t hertz = kSampleRates[sfreq & 15];
  return hertz ? std::optional<uint32_t>(hertz) : std::nullopt;
}

std::optional<uint32_t> DtsCoreHeader::bitRate() const {
  uint32_t value = kBitRates[rate & 31];
  return value ? std::optional<uint32_t>(value) : std::nullopt;
}

int DtsCoreHeader::channelCount() const {
  return amode < kChannelCounts.size() ? kChannelCounts[amode] : 0;
}

DtsAnalysis parseDts(const Payload& payload) {
  DtsAnalysis analysis;
  uint32_t shift = 0;
  size_t cursor = payload.position;
  // The payload's last byte is never taken.
  while (cursor + 1 < payload.end()) {
    shift = shift << 8 | payload.at(cursor);
    ++cursor;
    if (shift == kCoreSync) {
      // The header is read from this payload's bytes only: one that runs
      // past its end (on into the next pack) is not reported.
      BitReader reader(payload.upToEnd());
      reader.start(cursor);
      const DtsCoreHeader header = readCoreHeader(reader);
      if (reader.ranOut()) break;
      analysis.events.emplace_back(header);
      // The scan resumes at the reader's cursor with the reader's window
      // (the bits after the header) as its shift register.
      cursor = reader.cursor();
      shift = reader.window();
    } else if (shift == kChannelExtensionSync) {
      analysis.events.emplace_back(DtsChannelExtension{});
    } else if (shift == kFrequencyExtensionSync) {
      analysis.events.emplace_back(DtsFrequencyExtension{});
    }
  }
  return analysis;
}

void describeDts(const DtsAnalysis& analysis, Host& host) {
  for (const DtsEvent& event : analysis.events) std::visit(Describer{host}, event);
}

void analyzeDts(const Payload& payload, Host& host) {
  describeDts(parseDts(payload), host);
}

}  // namespace vantrel
