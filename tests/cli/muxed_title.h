#pragma once

// Titles made of streams that Debian's ffmpeg encodes at test time, cut into
// packs of one PES packet each and interleaved, behind a navigation pack and
// a copy-control packet.

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;

// One elementary stream of a title.
struct TitleStream {
  std::string file;  // the encoded elementary stream, empty for hand-made data
  Bytes bytes;
  uint8_t streamId = 0xE0;
  Bytes substreamHeader;  // in front of every packet's payload
  uint32_t firstPts = 90000;
};

// Packs of one PES packet each, the first one with the stream's PTS.
std::vector<Bytes> packetize(const TitleStream& stream);

// A navigation pack, a copy-control packet when given, then the streams
// interleaved pack by pack.
Bytes muxTitle(const psmux::Navigation& nav, const std::optional<psmux::CopyControl>& cc,
               const std::vector<TitleStream>& streams);

// Runs ffmpeg with `arguments` writing `dir`/`name`; the stream's bytes, or
// none when ffmpeg failed (the failure is reported to the test).
Bytes ffmpegEncode(const TempDir& dir, const std::string& name, const std::string& arguments);

}  // namespace vantrel::testing
