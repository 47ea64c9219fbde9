#include "drivers/demux_outputs.h"

#include <exception>

namespace vantrel {

OutputFile& DemuxOutputs::create(StreamKind kind, int slot, const std::string& path) {
  std::unique_ptr<OutputFile>& file = files_[kind][size_t(slot)];
  file = OutputFile::create(path);
  ws_.host.log("Creating " + path);
  ws_.outputCreated(*file);
  return *file;
}

bool DemuxOutputs::holds(const std::string& path) const {
  for (StreamKind kind : kStreamKinds)
    for (const std::unique_ptr<OutputFile>& file : files_[kind])
      if (file && file->path() == path) return true;
  return false;
}

PayloadTargets DemuxOutputs::targets(const Selection& selection) const {
  PayloadTargets targets;
  for (StreamKind kind : kStreamKinds)
    for (size_t slot = 0; slot < selection[kind].size(); ++slot)
      if (selection[kind][slot]) targets[kind][slot] = files_[kind][slot].get();
  return targets;
}

void DemuxOutputs::close() {
  std::exception_ptr first;
  for (StreamKind kind : kStreamKinds) {
    for (std::unique_ptr<OutputFile>& file : files_[kind]) {
      if (!file) continue;
      try {
        file->close();
      } catch (...) {
        if (!first) first = std::current_exception();
      }
      ws_.outputClosed(*file);
      file.reset();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace vantrel
