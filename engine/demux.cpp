#include "engine/demux.h"

#include <chrono>

#include "common/text_format.h"
#include "engine/navigation.h"
#include "engine/pack_parser.h"

namespace vantrel {

namespace {

constexpr int64_t kMiB = 1'048'576;
constexpr int64_t kProgressEvery = 4 * kMiB;
constexpr int64_t kRepaintEvery = 64 * kMiB;

std::string progressText(int64_t position, int64_t size, double elapsedSeconds) {
  double remaining = elapsedSeconds * double(size) / double(position) - elapsedSeconds + 1.0;
  return std::to_string(position / kMiB) + "/" + std::to_string(size / kMiB) +
         " Mbytes, Remaining time: " + timeOfDayText(remaining);
}

void startPass(ProcessingState& state, EngineMode mode) {
  state.resetCatalogue();
  state.CancelRequested = false;
  state.ScanLimitReached = false;
  state.DemuxActive = mode == DemuxMode;
}

}  // namespace

void demux(Session& session, EngineMode mode) {
  ProcessingState& state = session.state;
  Host& host = session.host;
  InputFile& in = *state.InputStream;
  startPass(state, mode);
  host.setCancelEnabled(true);
  const auto passStart = std::chrono::steady_clock::now();

  PackParser parser(session, mode);
  uint8_t* const buffer = state.ChunkBuffer.get();
  const int64_t size = in.size();
  const int64_t fastLimit = int64_t(session.options.fastSizeMB) * kMiB;

  struct CancelButtonOff {  // also when a file error ends the pass
    Host& host;
    ~CancelButtonOff() { host.setCancelEnabled(false); }
  } cancelButtonOff{host};

  while (in.position() < size && !state.stopAtChunk() && !state.ScanLimitReached) {
    const size_t chunkLength = in.read(buffer, kChunkSize);
    if (chunkLength == 0) break;  // the file shrank: end rather than read again
    const int64_t position = in.position();

    if (position % kProgressEvery == 0) {
      std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - passStart;
      host.slog(progressText(position, size, elapsed.count()), 1);
      host.pump();
    }
    if (mode == ScanMode && session.options.fastCheck && position > fastLimit)
      state.ScanLimitReached = true;  // this chunk is still parsed
    if (position % kRepaintEvery == 0) host.repaint();
    if (mode == ScanMode && position == int64_t(kChunkSize)) {
      if (auto counts = parseSystemHeader({buffer, chunkLength})) {
        parser.setSystemHeaderCounts(*counts);
        if (session.options.fileKind == FileKind::Aob) host.log(describeSystemHeader(*counts));
      }
    }
    parser.parseChunk(buffer, chunkLength);
  }
  if (state.CancelRequested) state.FrameCount = {0, 0};
}

}  // namespace vantrel
