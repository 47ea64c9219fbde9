#include "analyzers/mlp.h"

#include "analyzers/analyzers.h"
#include "analyzers/dvd_audio_tables.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

static_assert(sixChannelNames[4] == "Highs (Lvh/Rvh)" && eightChannelNames[12] == "LFE2");

constexpr uint32_t kTrueHdSync = 0xF8726FBA;
constexpr uint32_t kMlpSync = 0xF8726FBB;
constexpr int kBytesAfterSync = 6;
// major_sync_signature, right after the format fields.
constexpr uint16_t kMajorSyncSignature = 0xB752;

std::optional<MlpDynamicRange> dynamicRangeOf(uint8_t byte5, uint8_t byte6) {
  if (byte5 == kNoDynamicRange || (byte5 << 8 | byte6) == kMajorSyncSignature) return std::nullopt;
  return MlpDynamicRange{byte5, byte6};
}

void takeTrueHdByte(TrueHdMajorSync& h, int number, uint8_t byte, uint32_t shift) {
  switch (number) {
    case 1:
      h.samplingCode = byte >> 4;
      break;
    case 2:
      h.modifier2 = byte >> 6;
      h.modifier6 = (byte >> 4) & 3;
      h.assignment6 = static_cast<uint8_t>((byte & 0x0F) * 2);
      break;
    case 3:
      h.assignment6 = static_cast<uint8_t>(h.assignment6 + (byte >> 7));
      h.modifier8 = (byte >> 5) & 3;
      break;
    case 4:
      h.assignment8 = shift & 0x1FFF;  // low 5 bits of byte 3, all of byte 4
      break;
    case 5:
      h.byte5 = byte;
      break;
    case 6:
      h.dynamicRange = dynamicRangeOf(h.byte5, byte);
      break;
  }
  h.bytesTaken = number;
}

void takeMlpByte(MlpMajorSync& h, int number, uint8_t byte) {
  switch (number) {
    case 1:
      h.quantizationCode = byte >> 4;
      break;
    case 2:
      h.samplingCode = byte >> 4;
      break;
    case 4:
      h.channelAssignment = byte & 0x1F;
      break;
    case 5:
      h.byte5 = byte;
      break;
    case 6:
      h.dynamicRange = dynamicRangeOf(h.byte5, byte);
      break;
  }
  h.bytesTaken = number;
}

void logDynamicRange(const std::optional<MlpDynamicRange>& range, Host& host) {
  if (!range) return;
  host.log("   Dynamic range control = " + formatFloat(dynamicRangeDb(range->first)) + " dB .. " +
           formatFloat(dynamicRangeDb(range->second)) + " dB");
}

std::string bl(std::string_view text) {
  return "[bl]" + std::string(text) + "[/bl]";
}

void describeOne(const TrueHdMajorSync& h, Host& host) {
  host.log("   [b]TrueHD[/b] stream (up to 8 channels)");
  if (h.bytesTaken >= 1)
    host.log("   Sampling frequency = " + bl(nameOf(samplingRateNames, h.samplingCode)) + " kHz");
  if (h.bytesTaken >= 3) {
    host.log("   2 ch. decoder");
    host.log("      channel modifier = " + std::string(channelModifierNames[h.modifier2]));
    host.log("   6 ch. decoder");
    host.log("      channel modifier = " + std::string(channelModifierNames[h.modifier6]));
    host.log("      channel arrangement = " + bl(channelList(sixChannelNames, h.assignment6)));
  }
  if (h.bytesTaken >= 4) {
    host.log("   8 ch. decoder");
    host.log("      channel modifier = " + std::string(channelModifierNames[h.modifier8]));
    host.log("      channel arrangement = " + bl(channelList(eightChannelNames, h.assignment8)));
  }
  logDynamicRange(h.dynamicRange, host);
}

void describeOne(const MlpMajorSync& h, Host& host) {
  host.log("   [b]Standard MLP[/b] stream (up to 6 channels) ");
  if (h.bytesTaken >= 1)
    host.log("   Quantization length = " + bl(nameOf(wordLengthNames, h.quantizationCode)) +
             " bits");
  if (h.bytesTaken >= 2)
    host.log("   Sampling frequency = " + bl(nameOf(samplingRateNames, h.samplingCode)) + " kHz");
  if (h.bytesTaken >= 4)
    host.log("   Channel arrangement = " + bl(nameOf(channelAssignmentNames, h.channelAssignment)));
  logDynamicRange(h.dynamicRange, host);
}

}  // namespace

int TrueHdMajorSync::sampleRateHz() const {
  return samplingRateHz(samplingCode);
}

int TrueHdMajorSync::channelCount() const {
  // Channels of each group of eightChannelNames: pairs and single speakers.
  static constexpr std::array<int, 13> kGroupChannels = {2, 1, 1, 2, 2, 2, 2, 1, 1, 2, 2, 1, 1};
  int count = 0;
  for (size_t bit = 0; bit < kGroupChannels.size(); ++bit)
    if (assignment8 >> bit & 1) count += kGroupChannels[bit];
  return count;
}

int MlpMajorSync::bitsPerSample() const {
  return wordLengthBits(quantizationCode);
}
int MlpMajorSync::sampleRateHz() const {
  return samplingRateHz(samplingCode);
}
int MlpMajorSync::channelCount() const {
  return channelAssignmentChannels(channelAssignment);
}

MlpAnalysis parseMlp(const Payload& payload) {
  MlpAnalysis analysis;
  uint32_t shift = 0;
  // Next byte number (1 to 6) of the header being taken, 0 when none; an
  // MLP header takes the bytes before a TrueHD one.
  int mlpByte = 0;
  int trueHdByte = 0;
  size_t mlpIndex = 0;
  size_t trueHdIndex = 0;
  // The payload's last byte is never taken.
  for (size_t i = payload.position; i + 1 < payload.end(); ++i) {
    uint8_t byte = payload.at(i);
    shift = shift << 8 | byte;
    if (shift == kTrueHdSync) {
      trueHdIndex = analysis.headers.size();
      analysis.headers.emplace_back(TrueHdMajorSync{});
      trueHdByte = 1;
    } else if (shift == kMlpSync) {
      mlpIndex = analysis.headers.size();
      analysis.headers.emplace_back(MlpMajorSync{});
      mlpByte = 1;
    } else if (mlpByte > 0) {
      takeMlpByte(std::get<MlpMajorSync>(analysis.headers[mlpIndex]), mlpByte, byte);
      mlpByte = mlpByte == kBytesAfterSync ? 0 : mlpByte + 1;
    } else if (trueHdByte > 0) {
      takeTrueHdByte(std::get<TrueHdMajorSync>(analysis.headers[trueHdIndex]), trueHdByte, byte,
                     shift);
      trueHdByte = trueHdByte == kBytesAfterSync ? 0 : trueHdByte + 1;
    }
  }
  return analysis;
}

// Each header is written as a whole. Only two sync words within six bytes
// of each other (never the case in a real stream, where major syncs lie
// whole access units apart) would have had their lines interleaved.
void describeMlp(const MlpAnalysis& analysis, Host& host) {
  for (const auto& header : analysis.headers)
    std::visit([&host](const auto& h) { describeOne(h, host); }, header);
}

void analyzeMlp(const Payload& payload, Host& host) {
  describeMlp(parseMlp(payload), host);
}

}  // namespace vantrel
