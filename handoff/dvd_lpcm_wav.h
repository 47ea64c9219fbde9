#pragma once

// DVD and HD DVD LPCM as WAVE, the PCM that mkvmerge takes in.
//
// LPCM on these discs is big-endian. 16-bit samples follow each other as
// they are; 20- and 24-bit samples come in groups of four (two in mono),
// interleaved channel by channel: first the upper 16 bits of each sample of
// the group, then their low bits, a byte per sample at 24 bits and a nibble
// per sample (high nibble first) at 20 bits. WAVE wants each sample whole
// and little-endian; 20-bit samples go into 24-bit containers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

struct PcmLayout {
  int channels = 2;  // 1-8
  int bits = 16;     // 16, 20 or 24
  int sampleRate = 48000;
};

// True for a layout this writer can convert.
bool isConvertible(const PcmLayout& layout);

// Bytes of WAVE samples a stream of `lpcmBytes` gives: every whole sample
// frame (a torn frame at the end is left out).
uint64_t wavDataBytes(const PcmLayout& layout, uint64_t lpcmBytes);

// The WAVE header in front of `dataBytes` of samples: RIFF, or RF64 when a
// size does not fit 32 bits; WAVE_FORMAT_EXTENSIBLE for more than two
// channels or more than 16 bits.
std::vector<uint8_t> wavHeader(const PcmLayout& layout, uint64_t dataBytes);

// Unpacks `groups` whole groups of DVD LPCM (see above; a group is one
// sample at 16 bits) from `in` into little-endian samples at `out`; returns
// the bytes written.
size_t unpackDvdLpcm(const PcmLayout& layout, const uint8_t* in, size_t groups, uint8_t* out);

// Writes the LPCM stream at `lpcmPath` as the WAVE file `wavPath`. After
// each chunk `onChunk` hears the samples written so far and the total, and
// ends the writing early by returning false. A file error raises FileError
// (the file layer's message).
void writeWav(const std::string& lpcmPath, const PcmLayout& layout, const std::string& wavPath,
              const std::function<bool(uint64_t done, uint64_t total)>& onChunk);

}  // namespace vantrel
