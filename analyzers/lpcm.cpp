#include "analyzers/lpcm.h"

#include <string>

#include "analyzers/analyzers.h"
#include "analyzers/dvd_audio_tables.h"
#include "common/text_format.h"

namespace vantrel {

int LpcmHeader::bitsPerSample() const {
  return wordLengthBits(quantizationCode);
}
int LpcmHeader::sampleRateHz() const {
  return samplingRateHz(samplingCode);
}

LpcmHeader parseLpcm(const std::array<uint8_t, 7>& bytes, const Payload& payload) {
  LpcmHeader header;
  // The header bytes lie just before the payload, and the scan over them
  // stops one byte short of the payload's end: with an empty payload the
  // last header byte is not taken.
  header.bytesTaken = payload.length >= 1 ? 7 : 6;
  header.substreamId = bytes[0];
  header.frameHeaderCount = bytes[1];
  header.firstAccessUnitPointer = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
  header.emphasis = (bytes[4] & 0x80) != 0;
  header.mute = (bytes[4] & 0x40) != 0;
  header.frameNumber = bytes[4] & 0x1F;
  header.quantizationCode = bytes[5] >> 6;
  header.samplingCode = (bytes[5] >> 4) & 3;
  // Three bits, as in the DVD header: two would turn 5.1 into stereo.
  header.channelCount = static_cast<uint8_t>((bytes[5] & 7) + 1);
  if (header.bytesTaken == 7 && bytes[6] != kNoDynamicRange) header.dynamicRange = bytes[6];
  return header;
}

void describeLpcm(const LpcmHeader& header, Host& host) {
  if (header.bytesTaken > 1)
    host.log("   Number of frame headers = " + std::to_string(header.frameHeaderCount));
  if (header.bytesTaken > 3)
    host.log("   First acces unit pointer = " + hex4(header.firstAccessUnitPointer));
  if (header.bytesTaken > 4) {
    host.log(std::string("   Emphasis = ") + (header.emphasis ? "on" : "off") +
             ", mute = " + (header.mute ? "on" : "off"));
    host.log("   Frame number = " + std::to_string(header.frameNumber));
  }
  if (header.bytesTaken > 5) {
    host.log("   Quantization length = [bl]" +
             std::string(nameOf(wordLengthNames, header.quantizationCode)) + "[/bl] bits");
    host.log("   Sampling frequency = [bl]" +
             std::string(nameOf(samplingRateNames, header.samplingCode)) + "[/bl] kHz");
    host.log("   Number of audio channels = [bl]" + std::to_string(header.channelCount) + "[/bl]");
  }
  if (header.dynamicRange)
    host.log("   Dynamic range = " + formatFloat(dynamicRangeDb(*header.dynamicRange)) + " dB");
}

void analyzeLpcm(const std::array<uint8_t, 7>& header, const Payload& payload, Host& host) {
  describeLpcm(parseLpcm(header, payload), host);
}

}  // namespace vantrel
