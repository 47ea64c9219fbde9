#pragma once

#include <memory>
#include <string>

#include "engine/stream_writers.h"
#include "workspace/workspace.h"

namespace vantrel {

// The output files of one Demux run, one per ticked box, from their creation
// before the first file of the title to their closing after the last. Files
// still open when it goes away (an error ended the run) are closed quietly.
class DemuxOutputs {
 public:
  explicit DemuxOutputs(Workspace& ws) : ws_(ws) {}
  DemuxOutputs(const DemuxOutputs&) = delete;
  DemuxOutputs& operator=(const DemuxOutputs&) = delete;

  OutputFile& create(StreamKind kind, int slot, const std::string& path);
  // Whether one of the outputs is written to `path`.
  bool holds(const std::string& path) const;
  // The engine's targets: the outputs of the slots that `selection` ticks.
  PayloadTargets targets(const Selection& selection) const;
  // Closes every output, telling the observer what each holds; the first
  // error is raised after all of them were closed.
  void close();

 private:
  Workspace& ws_;
  PerKind<std::unique_ptr<OutputFile>> files_;
};

}  // namespace vantrel
