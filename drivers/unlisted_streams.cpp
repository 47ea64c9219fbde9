#include "drivers/unlisted_streams.h"

#include "common/path_rules.h"
#include "common/text_format.h"
#include "workspace/title_chain.h"
#include "workspace/unwritten_streams.h"

namespace vantrel {

namespace {

PerKind<bool> slotsWithBoxes(const StreamBoxes& boxes) {
  PerKind<bool> boxed;
  for (StreamKind kind : kStreamKinds)
    for (size_t slot = 0; slot < boxed[kind].size(); ++slot) boxed[kind][slot] = boxes[kind][slot].enabled;
  return boxed;
}

}  // namespace

const std::string& outputExtension(const DriverOptions& options, StreamKind kind) {
  switch (kind) {
    case StreamKind::Video:
      return options.videoExt;
    case StreamKind::Audio:
      return options.audioExt;
    case StreamKind::Subpicture:
      break;
  }
  return options.subExt;
}

std::string demuxOutputPath(const std::string& prefix, const std::string& caption,
                            const std::string& extension) {
  return prefix + "." + safeFileNamePart(caption) + "." + safeFileNamePart(extension);
}

UnlistedStreams::UnlistedStreams(Workspace& ws, DemuxOutputs& outputs, std::vector<std::string> chain,
                                 std::string prefix)
    : ws_(ws),
      outputs_(outputs),
      chain_(std::move(chain)),
      prefix_(std::move(prefix)),
      boxed_(slotsWithBoxes(ws.boxes)) {}

UnlistedStreams::Met* UnlistedStreams::find(StreamKind kind, int slot) {
  for (Met& m : met_)
    if (m.at.stream.kind == kind && m.at.stream.slot == slot) return &m;
  return nullptr;
}

// Called once per stream and pass, so the search and the first record cost
// nothing per packet.
OutputFile* UnlistedStreams::streamMet(const FoundStream& stream, int64_t position,
                                       std::optional<uint32_t> pts) {
  if (boxed_[stream.kind][size_t(stream.slot)]) return nullptr;  // the user left its box unticked
  if (Met* known = find(stream.kind, stream.slot)) {
    if (known->at.stream.id == stream.id) return known->out;
    // Another id in the slot of an earlier file: one file never holds two codecs.
    ws_.host.log(sharedSlotLine(stream.kind, stream.id, stream.slot, known->at.stream.id));
    return nullptr;
  }
  const bool write = ws_.options.writeUnlistedStreams;
  // Refused until its output exists: a failed creation is its own red line.
  met_.push_back({{stream, file_, position, pts}, nullptr, write});
  if (RunObserver* observer = ws_.session.observer) {
    observer->streamFound(stream);
    observer->streamMet(met_.back().at);
  }
  if (!write) return nullptr;
  Met& met = met_.back();
  met.out = createOutput(stream);
  met.refused = !met.out;
  return met.out;
}

OutputFile* UnlistedStreams::createOutput(const FoundStream& stream) {
  const std::string path = demuxOutputPath(prefix_, streamCaption(stream.kind, int32_t(stream.id), stream.slot),
                                           outputExtension(ws_.options, stream.kind));
  if (isFileOfChain(path, chain_)) {
    ws_.logError(outputOverSourceMessage(path));
    return nullptr;
  }
  if (outputs_.holds(path)) {
    ws_.logError("Cannot create file \"" + path + "\". Two streams would be written to it.");
    return nullptr;
  }
  return &outputs_.create(stream.kind, stream.slot, path);
}

void UnlistedStreams::report() {
  for (const Met& m : met_) {
    if (m.out || m.refused) continue;
    reportNotWritten(ws_, m.at, m.at.file == chain_.back());
  }
}

}  // namespace vantrel
