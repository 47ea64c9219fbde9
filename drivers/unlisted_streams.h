#pragma once

#include <string>
#include <vector>

#include "drivers/demux_outputs.h"
#include "engine/stream_meeting.h"
#include "workspace/workspace.h"

namespace vantrel {

// The streams a Demux run meets that have no box: Read EVO did not list
// them, because they begin past the fast-check size or lie only in an
// earlier file of the title. Each is remembered where it was first met and,
// when the run writes every stream, given an output named as its box would
// be; otherwise it is reported once the run is over.
class UnlistedStreams : public StreamMeeting {
 public:
  UnlistedStreams(Workspace& ws, DemuxOutputs& outputs, std::vector<std::string> chain,
                  std::string prefix);

  // The file the next pass reads.
  void startFile(const std::string& path) { file_ = path; }
  OutputFile* streamMet(const FoundStream& stream, int64_t position, std::optional<uint32_t> pts) override;

  // One red line per stream met but not written; the list goes to
  // ws.streamsNotWritten and the observer.
  void report();

 private:
  struct Met {
    MetStream at;
    OutputFile* out = nullptr;
    bool refused = false;  // its output could not be created (logged then)
  };
  Met* find(StreamKind kind, int slot);
  OutputFile* createOutput(const FoundStream& stream);

  Workspace& ws_;
  DemuxOutputs& outputs_;
  const std::vector<std::string> chain_;
  const std::string prefix_;
  const PerKind<bool> boxed_;  // slots that have a box, as the run started
  std::string file_;
  std::vector<Met> met_;
};

// The extension the Options page gives outputs of `kind`.
const std::string& outputExtension(const DriverOptions& options, StreamKind kind);

// An output's path: the prefix, the box's caption and the extension, each
// made safe so that the name stays in the output folder.
std::string demuxOutputPath(const std::string& prefix, const std::string& caption,
                            const std::string& extension);

}  // namespace vantrel
