#include "engine/processing_state.h"

#include <exception>

#include "engine/run_observer.h"

namespace vantrel {

ProcessingState::ProcessingState() : ChunkBuffer(new uint8_t[kChunkSize]()) { resetCatalogue(); }

void ProcessingState::resetCatalogue() {
  VideoStreamId.fill(-1);
  AudioStreamId.fill(-1);
  SubpictureStreamId.fill(-1);
  VideoReported.fill(false);
  AudioReported.fill(false);
  SubpictureReported.fill(false);
}

void ProcessingState::closeOutputs(RunObserver* observer) {
  std::exception_ptr first;
  auto closeAll = [&first, observer](auto& outputs) {
    for (auto& out : outputs) {
      if (!out) continue;
      try {
        out->close();
      } catch (...) {
        if (!first) first = std::current_exception();
      }
      if (observer) observer->outputClosed(out->path(), out->bytesStored());
      out.reset();
    }
  };
  closeAll(VideoOut);
  closeAll(AudioOut);
  closeAll(SubpictureOut);
  if (first) std::rethrow_exception(first);
}

}  // namespace vantrel
