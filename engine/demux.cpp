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

// One pass over one file.
class Pass {
 public:
  Pass(Session& session, EngineMode mode, InputFile& in, const PayloadTargets& targets,
       StreamMeeting* meeting)
      : session_(session),
        mode_(mode),
        in_(in),
        parser_(session, mode, targets, meeting),
        progress_(in.size()),
        buffer_(session.state.ChunkBuffer.get()) {}

  void run() {
    while (goesOn()) {
      const size_t chunkLength = in_.read(buffer_, kChunkSize);
      if (chunkLength == 0) break;  // the file shrank: end rather than read again
      chunkRead(chunkLength);
      parser_.parseChunk(buffer_, chunkLength, in_.position() - int64_t(chunkLength));
    }
    parser_.finish();
  }

 private:
  // The one place, before each chunk, where a pass asks whether to go on:
  // the input may be used up, the user may have cancelled (the run waits
  // here while the front end holds it), a scan may have passed its
  // fast-check size.
  bool goesOn() {
    ProcessingState& state = session_.state;
    return in_.position() < in_.size() && !state.stopAtChunk() && !state.ScanLimitReached;
  }

  // What happens once per chunk before it is parsed: progress and a turn for
  // the front end every 4 MiB, the fast-check limit, a repaint every 64 MiB
  // and, in the first chunk of a scan, the system header.
  void chunkRead(size_t chunkLength) {
    Host& host = session_.host;
    const EngineOptions& options = session_.options;
    const int64_t position = in_.position();
    if (PassProgress::due(position)) {
      host.slog(progress_.text(position), 1);
      host.pump();
    }
    const bool scan = mode_ == ScanMode;
    if (scan && options.fastCheck && position > int64_t(options.fastSizeMB) * kMiB)
      session_.state.ScanLimitReached = true;  // this chunk is still parsed
    if (position % kRepaintEvery == 0) host.repaint();
    if (scan && position == int64_t(kChunkSize)) systemHeader(chunkLength);
  }

  void systemHeader(size_t chunkLength) {
    const auto counts = parseSystemHeader({buffer_, chunkLength});
    if (!counts) return;
    parser_.setSystemHeaderCounts(*counts);
    if (session_.options.fileKind == FileKind::Aob)
      session_.host.log(describeSystemHeader(*counts));
  }

  Session& session_;
  const EngineMode mode_;
  InputFile& in_;
  PackParser parser_;
  const PassProgress progress_;
  uint8_t* const buffer_;
};

}  // namespace

void demux(Session& session, EngineMode mode, InputFile& in, const PayloadTargets& targets,
           StreamMeeting* meeting) {
  ProcessingState& state = session.state;
  startPass(state, mode);
  CancelButtonOn cancelButton(session.host);
  Pass(session, mode, in, targets, meeting).run();
  if (state.CancelRequested) state.FrameCount = {0, 0};
}

}  // namespace vantrel
