#pragma once

// Synthetic elementary streams for the muxer tests: pictures with B-frame
// reordering, audio frames of given sizes, subpicture units, all filled
// with deterministic noise; and a helper that muxes them and walks the result.

#include <cstdint>
#include <utility>
#include <vector>

#include "tests/tools/pack_walker.h"
#include "tools/psmux/es_muxer.h"

namespace vantrel::psmux::synthetic {

// Groups of ten pictures, I B B P B B P B B P in presentation order, sent
// I P B B P B B P B B: decoding leads presentation by one frame.
std::vector<AccessUnit> video(size_t groups, uint32_t frameTicks, uint64_t start, uint32_t seed);
std::vector<AccessUnit> audio(size_t frames, size_t minSize, size_t maxSize, uint32_t ticks, uint64_t start,
                              uint32_t seed);
std::vector<AccessUnit> subpictures(const std::vector<std::pair<uint64_t, size_t>>& times, uint32_t seed);

struct Input {
  EsCodec codec;
  uint8_t id;
  std::vector<AccessUnit> units;
};

// The walk's key of the stream.
uint32_t keyOf(const Input& input);

// A title with every kind of stream: two video streams with reordering,
// five audio codecs with frames from 40 bytes to bigger than a pack, and
// subpicture units of which one spans several packs.
std::vector<Input> fullTitle();

struct Muxed {
  MuxResult result;
  Bytes bytes;
  testing::Walk walk;
};
Muxed mux(const std::vector<Input>& inputs, const MuxOptions& options = {});

Bytes concatenated(const std::vector<AccessUnit>& units);

}  // namespace vantrel::psmux::synthetic
