#include "engine/demux.h"

#include "engine/pack_parser.h"
#include "engine/progress.h"

namespace vantrel {

namespace {

constexpr int64_t kRepaintEvery = 64 * kMiB;

void startPass(ProcessingState& state, EngineMode mode) {
  state.resetCatalogue();
  state.CancelRequested = false;
  state.ScanLimitReached = false;
  state.DemuxActive = mode == DemuxMode;
}

// Cancel is enabled while a pass runs, also when a file error ends it.
struct CancelButtonOn {
  explicit CancelButtonOn(Host& h) : host(h) { host.setCancelEnabled(true); }
  ~CancelButtonOn() { host.setCancelEnabled(false); }
  CancelButtonOn(const CancelButtonOn&) = delete;
  CancelButtonOn& operator=(const CancelButtonOn&) = delete;
  Host& host;
};

// The one place, before each chunk, where a pass asks whether to go on:
// the input may be used up, the user may have cancelled, a scan may have
// passed its fast-check size.
bool passGoesOn(const ProcessingState& state, const InputFile& in) {
  return in.position() < in.size() && !state.CancelRequested && !state.ScanLimitReached;
}

}  // namespace

void demux(Session& session, EngineMode mode, InputFile& in, const PayloadTargets& targets) {
  ProcessingState& state = session.state;
  Host& host = session.host;
  const EngineOptions& options = session.options;
  startPass(state, mode);
  CancelButtonOn cancelButton(host);

  PackParser parser(session, mode, targets);
  const PassProgress progress(in.size());
  uint8_t* const buffer = state.ChunkBuffer.get();
  const int64_t fastLimit = int64_t(options.fastSizeMB) * kMiB;

  while (passGoesOn(state, in)) {
    const size_t chunkLength = in.read(buffer, kChunkSize);
    if (chunkLength == 0) break;  // the file shrank: end rather than read again
    const int64_t position = in.position();

    if (PassProgress::due(position)) {
      host.slog(progress.text(position), 1);
      host.pump();
    }
    if (mode == ScanMode && options.fastCheck && position > fastLimit)
      state.ScanLimitReached = true;  // this chunk is still parsed
    if (position % kRepaintEvery == 0) host.repaint();
    if (mode == ScanMode && position == int64_t(kChunkSize)) {
      if (auto counts = parseSystemHeader({buffer, chunkLength})) {
        parser.setSystemHeaderCounts(*counts);
        if (options.fileKind == FileKind::Aob) host.log(describeSystemHeader(*counts));
      }
    }
    parser.parseChunk(buffer, chunkLength);
  }
  if (state.CancelRequested) state.FrameCount = {0, 0};
}

}  // namespace vantrel
