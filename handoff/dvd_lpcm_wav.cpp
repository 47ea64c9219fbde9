#include "handoff/dvd_lpcm_wav.h"

#include <algorithm>
#include <array>
#include <memory>

#include "common/file_io.h"

namespace vantrel {

namespace {
constexpr size_t kGroupsPerRead = 16'384;
constexpr uint64_t kMax32 = 0xFFFFFFFF;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM, 00000001-0000-0010-8000-00AA00389B71, as stored.
constexpr std::array<uint8_t, 16> kPcmSubFormat = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The disc names no channel assignment: the usual WAVE speakers of each
// count (mono is front centre; 5.1 is FL FR FC LFE BL BR; 7.1 adds SL SR).
constexpr std::array<uint32_t, 9> kChannelMasks = {0,    0x4,  0x3,   0x7,  0x33,
                                                   0x37, 0x3F, 0x13F, 0x63F};

int groupSamples(const PcmLayout& l) { return l.bits == 16 ? 1 : l.channels == 1 ? 2 : 4; }

size_t packedGroupBytes(const PcmLayout& l) {
  const int g = groupSamples(l);
  return size_t(l.bits == 16 ? 2 : l.bits == 24 ? g * 3 : g * 5 / 2);
}

int containerBytes(const PcmLayout& l) { return l.bits == 16 ? 2 : 3; }

bool extensible(const PcmLayout& l) { return l.channels > 2 || l.bits > 16; }

class Writer {
 public:
  void u16(uint32_t v) {
    for (int i = 0; i < 2; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void u32(uint64_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void u64(uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void tag(const char (&four)[5]) { bytes.insert(bytes.end(), four, four + 4); }
  std::vector<uint8_t> bytes;
};
}  // namespace

bool isConvertible(const PcmLayout& l) {
  return l.channels >= 1 && l.channels <= 8 && (l.bits == 16 || l.bits == 20 || l.bits == 24) &&
         l.sampleRate > 0;
}

uint64_t wavDataBytes(const PcmLayout& l, uint64_t lpcmBytes) {
  const uint64_t samples = lpcmBytes / packedGroupBytes(l) * uint64_t(groupSamples(l));
  return samples / uint64_t(l.channels) * uint64_t(l.channels) * uint64_t(containerBytes(l));
}

std::vector<uint8_t> wavHeader(const PcmLayout& l, uint64_t dataBytes) {
  const uint32_t blockAlign = uint32_t(l.channels * containerBytes(l));
  const uint64_t fmtBytes = extensible(l) ? 40 : 16;
  const uint64_t pad = dataBytes & 1;  // chunks end on an even offset
  const bool rf64 = dataBytes + pad + fmtBytes + 64 > kMax32;
  const uint64_t riffBytes = 4 + (rf64 ? 8 + 28 : 0) + 8 + fmtBytes + 8 + dataBytes + pad;
  Writer w;
  w.tag(rf64 ? "RF64" : "RIFF");
  w.u32(rf64 ? kMax32 : riffBytes);
  w.tag("WAVE");
  if (rf64) {
    w.tag("ds64");
    w.u32(28);
    w.u64(riffBytes);
    w.u64(dataBytes);
    w.u64(dataBytes / blockAlign);  // sample frames
    w.u32(0);                       // no table of other chunk sizes
  }
  w.tag("fmt ");
  w.u32(fmtBytes);
  w.u16(extensible(l) ? kFormatExtensible : kFormatPcm);
  w.u16(uint32_t(l.channels));
  w.u32(uint32_t(l.sampleRate));
  w.u32(uint64_t(l.sampleRate) * blockAlign);
  w.u16(blockAlign);
  w.u16(uint32_t(containerBytes(l) * 8));
  if (extensible(l)) {
    w.u16(22);
    w.u16(uint32_t(l.bits));  // valid bits: 20 in a 24-bit container
    w.u32(kChannelMasks[size_t(l.channels)]);
    w.bytes.insert(w.bytes.end(), kPcmSubFormat.begin(), kPcmSubFormat.end());
  }
  w.tag("data");
  w.u32(rf64 ? kMax32 : dataBytes);
  return w.bytes;
}

size_t unpackDvdLpcm(const PcmLayout& l, const uint8_t* in, size_t groups, uint8_t* out) {
  const uint8_t* const start = out;
  const size_t g = size_t(groupSamples(l));
  for (size_t n = 0; n < groups; ++n) {
    if (l.bits == 16) {
      *out++ = in[1];
      *out++ = in[0];
      in += 2;
      continue;
    }
    const uint8_t* low = in + 2 * g;
    for (size_t k = 0; k < g; ++k) {
      uint8_t lowBits = 0;
      if (l.bits == 24)
        lowBits = low[k];
      else
        lowBits = k % 2 == 0 ? uint8_t(low[k / 2] & 0xF0) : uint8_t(low[k / 2] << 4);
      *out++ = lowBits;
      *out++ = in[2 * k + 1];
      *out++ = in[2 * k];
    }
    in += packedGroupBytes(l);
  }
  return size_t(out - start);
}

void writeWav(const std::string& lpcmPath, const PcmLayout& l, const std::string& wavPath,
              const std::function<bool(uint64_t done, uint64_t total)>& onChunk) {
  auto in = InputFile::open(lpcmPath);
  const uint64_t dataBytes = wavDataBytes(l, uint64_t(in->size()));
  auto out = OutputFile::create(wavPath);
  const std::vector<uint8_t> header = wavHeader(l, dataBytes);
  out->write(header.data(), header.size());
  const size_t packed = packedGroupBytes(l);
  const size_t unpacked = size_t(groupSamples(l) * containerBytes(l));
  auto source = std::make_unique<uint8_t[]>(packed * kGroupsPerRead);
  auto samples = std::make_unique<uint8_t[]>(unpacked * kGroupsPerRead);
  for (uint64_t left = dataBytes; left > 0;) {
    const size_t groups = in->read(source.get(), packed * kGroupsPerRead) / packed;
    if (groups == 0) break;
    const size_t bytes = std::min<uint64_t>(unpackDvdLpcm(l, source.get(), groups, samples.get()), left);
    out->write(samples.get(), bytes);
    left -= bytes;
    if (!onChunk(dataBytes - left, dataBytes)) break;
  }
  if (dataBytes & 1) out->write("", 1);
  out->close();
}

}  // namespace vantrel
