#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_io.h"
#include "engine/stream_report.h"

namespace vantrel {

// A stream as a run first met it: in which file, at which byte.
struct MetStream {
  FoundStream stream;
  std::string file;
  int64_t position = 0;
  std::optional<uint32_t> firstPts;  // of the packet where it was met
};

// Hears, in a demux pass, each stream that takes a slot which has no output:
// a stream the scan before the run did not catalogue (it began after the
// fast-check size, or only an earlier file of the title holds it), or one
// the user did not tick. The driver decides whether it is written.
class StreamMeeting {
 public:
  virtual ~StreamMeeting() = default;
  // Called at most once per stream and pass, when its first packet of the
  // pass takes the slot; `position` is that packet's offset in the file and
  // `pts` its time stamp, when it has one. Returns the output to write the
  // stream to from this packet on, or null.
  virtual OutputFile* streamMet(const FoundStream& stream, int64_t position, std::optional<uint32_t> pts) = 0;
};

}  // namespace vantrel
