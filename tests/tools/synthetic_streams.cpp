#include "tests/tools/synthetic_streams.h"

#include "tools/psmux/pack_sink.h"

namespace vantrel::psmux::synthetic {

using testing::streamKey;
using testing::walkProgramStream;

namespace {

struct Rng {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  size_t between(size_t low, size_t high) { return low + next() % (high - low + 1); }
};

Bytes noise(Rng& rng, size_t size) {
  Bytes bytes(size);
  for (uint8_t& b : bytes) b = uint8_t(rng.next());
  return bytes;
}

}  // namespace

std::vector<AccessUnit> video(size_t groups, uint32_t frameTicks, uint64_t start, uint32_t seed) {
  static const int kDecodeToDisplay[10] = {0, 3, 1, 2, 6, 4, 5, 9, 7, 8};
  Rng rng{seed};
  std::vector<AccessUnit> units;
  for (size_t g = 0; g < groups; ++g) {
    for (int i = 0; i < 10; ++i) {
      int shown = kDecodeToDisplay[i];
      bool intra = shown == 0;
      bool bidirectional = shown % 3 != 0;
      size_t size = intra ? rng.between(6000, 9000) : bidirectional ? rng.between(20, 900) : rng.between(1500, 3000);
      AccessUnit unit;
      unit.data = noise(rng, size);
      size_t decodeIndex = g * 10 + size_t(i);
      unit.pts = start + (g * 10 + size_t(shown)) * frameTicks;
      uint64_t dts = start - frameTicks + decodeIndex * frameTicks;
      if (dts != unit.pts) unit.dts = dts;
      unit.duration = frameTicks;
      unit.randomAccess = intra;
      units.push_back(std::move(unit));
    }
  }
  return units;
}

std::vector<AccessUnit> audio(size_t frames, size_t minSize, size_t maxSize, uint32_t ticks,
                                       uint64_t start, uint32_t seed) {
  Rng rng{seed};
  std::vector<AccessUnit> units;
  for (size_t i = 0; i < frames; ++i) {
    AccessUnit unit;
    unit.data = noise(rng, rng.between(minSize, maxSize));
    unit.pts = start + i * ticks;
    unit.duration = ticks;
    unit.randomAccess = true;
    units.push_back(std::move(unit));
  }
  return units;
}

std::vector<AccessUnit> subpictures(const std::vector<std::pair<uint64_t, size_t>>& times, uint32_t seed) {
  Rng rng{seed};
  std::vector<AccessUnit> units;
  for (auto [pts, size] : times) {
    AccessUnit unit;
    unit.data = noise(rng, size);
    unit.pts = pts;
    unit.duration = 45000;
    units.push_back(std::move(unit));
  }
  return units;
}


uint32_t keyOf(const Input& input) {
  switch (input.codec) {
    case EsCodec::Mpeg2Video:
    case EsCodec::H264Video: return streamKey(input.id);
    case EsCodec::Vc1Video: return streamKey(0xFD, input.id);
    default: return streamKey(0xBD, input.id);
  }
}


Muxed mux(const std::vector<Input>& inputs, const MuxOptions& options) {
  std::vector<ListSource> sources;
  sources.reserve(inputs.size());
  std::vector<EsStream> streams;
  for (const Input& input : inputs) {
    sources.emplace_back(input.units);
    EsStream stream;
    stream.codec = input.codec;
    stream.id = input.id;
    stream.source = &sources.back();
    streams.push_back(stream);
  }
  MemoryPackSink sink;
  Muxed muxed;
  muxed.result = muxProgramStream(streams, options, sink);
  muxed.bytes = sink.bytes();
  muxed.walk = walkProgramStream(muxed.bytes);
  return muxed;
}

std::vector<Input> fullTitle() {
  const uint64_t start = 90000;
  return {
      {EsCodec::Mpeg2Video, 0xE0, video(4, 3600, start, 1)},
      {EsCodec::H264Video, 0xE3, video(5, 3000, start, 2)},
      {EsCodec::Ac3, 0x80, audio(50, 768, 768, 2880, start, 3)},
      {EsCodec::Dts, 0x89, audio(150, 1000, 2600, 960, start, 4)},
      {EsCodec::TrueHd, 0xB2, audio(1900, 40, 300, 75, start, 5)},
      {EsCodec::Lpcm, 0xA3, audio(950, 320, 320, 150, start, 6)},
      {EsCodec::Eac3, 0xC4, audio(50, 500, 900, 2880, start + 1800, 7)},
      {EsCodec::Subpicture, 0x20, subpictures({{start + 9000, 300}, {start + 50000, 5000}, {start + 100000, 2030}}, 8)},
      {EsCodec::Subpicture, 0x25, subpictures({{start + 20000, 700}}, 9)},
  };
}

Bytes concatenated(const std::vector<AccessUnit>& units) {
  Bytes all;
  for (const AccessUnit& unit : units) all.insert(all.end(), unit.data.begin(), unit.data.end());
  return all;
}

}  // namespace vantrel::psmux::synthetic
