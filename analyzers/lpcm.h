#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// The seven bytes in front of DVD LPCM audio data in a private stream 1
// packet: the substream header (id, frame headers, first access unit
// pointer) and the three LPCM audio parameter bytes.
struct LpcmHeader {
  // How many of the seven bytes the payload length let us take; fields of
  // bytes beyond this count keep their defaults and are not reported.
  int bytesTaken = 0;
  uint8_t substreamId = 0;              // byte 0: sub_stream_id
  uint8_t frameHeaderCount = 0;         // byte 1: number_of_frame_headers
  uint16_t firstAccessUnitPointer = 0;  // bytes 2-3: first_access_unit_pointer
  bool emphasis = false;                // byte 4 bit 7: audio_emphasis_flag
  bool mute = false;                    // byte 4 bit 6: audio_mute_flag
  uint8_t frameNumber = 0;              // byte 4 bits 4-0: audio_frame_number
  uint8_t quantizationCode = 0;         // byte 5 bits 7-6: quantization_word_length
  uint8_t samplingCode = 0;             // byte 5 bits 5-4: audio_sampling_frequency
  uint8_t channelCount = 0;             // byte 5 bits 2-0: number_of_audio_channels + 1
  // Byte 6: dynamic_range_control, absent when it holds "none" (0x80).
  std::optional<uint8_t> dynamicRange;

  int bitsPerSample() const;
  int sampleRateHz() const;
};

LpcmHeader parseLpcm(const std::array<uint8_t, 7>& header, const Payload& payload);
void describeLpcm(const LpcmHeader& header, Host& host);

}  // namespace vantrel
