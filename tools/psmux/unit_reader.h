#pragma once

// Reads an HD DVD program stream as the muxer writes it back into access
// units, so that a title already on disk (the bundled sample) can be muxed
// again, for example repeated into a long benchmark title, without the
// encoders that made it.
//
// A unit starts wherever a PES packet's time stamp points: at the packet's
// first byte for video and subpictures, at the first access unit pointer for
// audio. Audio units therefore hold all frames up to the next time stamp.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/psmux/access_units.h"
#include "tools/psmux/es_muxer.h"

namespace vantrel::psmux {

struct ReadStream {
  EsCodec codec = EsCodec::Mpeg2Video;
  uint8_t id = 0;
  uint8_t lpcmFormat = 0x01;
  uint8_t lpcmDynamicRange = 0x80;
  std::vector<AccessUnit> units;
};

// Streams in the order they first appear. Appending the streams of a
// following file of the same title continues them. Video units right after
// a navigation pack may start a video object unit, and know from their
// picture headers whether they are reference pictures; video units last one
// frame period (the smallest step between their time stamps), other units
// until the next one. Throws std::runtime_error on a pack or packet that
// does not parse; bytes before a stream's first time stamp are dropped.
std::vector<ReadStream> readProgramStreamUnits(const Bytes& file);
void appendProgramStreamUnits(std::vector<ReadStream>& streams, const Bytes& file);

}  // namespace vantrel::psmux
