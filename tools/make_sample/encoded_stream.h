#pragma once

// Cutting encoded elementary streams into time-stamped access units, from
// ffprobe's packet list (decoding order, file position and size of every
// packet) and, for video, the order in which the pictures are presented.

#include <cstdint>
#include <vector>

#include "tools/make_sample/probe_list.h"
#include "tools/psmux/access_units.h"

namespace vantrel::sample {

using psmux::AccessUnit;
using psmux::Bytes;

// Video pictures at a constant frame rate. `packets` are ffprobe's packet
// records (pos, size, flags with K for a key frame) in decoding order;
// `presentationPositions` the packet position of each picture in
// presentation order. The first picture shown gets `firstPts`; decoding
// times run one frame apart and lead the presentation times just enough for
// the reordering. Throws std::runtime_error when the packets do not tile the
// stream or the pictures do not match the packets one to one.
std::vector<AccessUnit> videoUnits(const Bytes& stream, const std::vector<ProbeRecord>& packets,
                                   const std::vector<long long>& presentationPositions,
                                   uint32_t frameTicks, uint64_t firstPts);

// Audio frames; each packet's duration (in `timeBase` units) advances the
// presentation time, converted to 90 kHz ticks without drift.
std::vector<AccessUnit> audioUnits(const Bytes& stream, const std::vector<ProbeRecord>& packets,
                                   Rational timeBase, uint64_t firstPts);

// DVD LPCM samples cut into units of `samplesPerUnit` sample periods (the
// last one may be shorter; at 20 and 24 bits it holds whole groups of four
// periods). Throws std::invalid_argument for a sample rate or unit size of 0.
std::vector<AccessUnit> lpcmUnits(const Bytes& samples, int channels, int sampleRate,
                                  int samplesPerUnit, uint64_t firstPts, int bits = 16);

// Big-endian 24-bit samples in the DVD LPCM layout of 20 or 24 bits: groups
// of four samples (two in mono) in channel order, the upper 16 bits of each
// first, then the low byte of each (24 bits) or its high nibble, two to a
// byte (20 bits). A torn group at the end is dropped.
Bytes packDvdLpcm(const Bytes& s24be, int channels, int bits);

// Splits units (in decoding order) at `time`: video at the first picture
// from which decoding can start whose PTS is at or after it, other streams
// at the first unit whose PTS is. Returns the units before and from there.
struct SplitUnits {
  std::vector<AccessUnit> before;
  std::vector<AccessUnit> after;
};
SplitUnits splitUnits(std::vector<AccessUnit> units, uint64_t time, bool video);

// Splits at each of the ascending times in turn: the part before the first,
// those between, and the part from the last.
std::vector<std::vector<AccessUnit>> splitParts(std::vector<AccessUnit> units, const std::vector<uint64_t>& times,
                                                bool video);

Bytes readWholeFile(const std::string& path);

}  // namespace vantrel::sample
