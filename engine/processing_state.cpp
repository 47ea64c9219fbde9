#include "engine/processing_state.h"

#include <algorithm>

namespace vantrel {

ProcessingState::ProcessingState() : ChunkBuffer(new uint8_t[kChunkSize]()) {
  resetCatalogue();
}

std::span<int32_t> ProcessingState::streamIds(StreamKind kind) {
  switch (kind) {
    case StreamKind::Video:
      return VideoStreamId;
    case StreamKind::Audio:
      return AudioStreamId;
    case StreamKind::Subpicture:
      break;
  }
  return SubpictureStreamId;
}

std::span<const int32_t> ProcessingState::streamIds(StreamKind kind) const {
  return const_cast<ProcessingState*>(this)->streamIds(kind);
}

std::span<bool> ProcessingState::reported(StreamKind kind) {
  switch (kind) {
    case StreamKind::Video:
      return VideoReported;
    case StreamKind::Audio:
      return AudioReported;
    case StreamKind::Subpicture:
      break;
  }
  return SubpictureReported;
}

PerKind<int32_t> ProcessingState::catalogue() const {
  PerKind<int32_t> ids;
  for (StreamKind kind : kStreamKinds) std::ranges::copy(streamIds(kind), ids[kind].begin());
  return ids;
}

void ProcessingState::resetCatalogue() {
  for (StreamKind kind : kStreamKinds) {
    std::fill(streamIds(kind).begin(), streamIds(kind).end(), -1);
    std::fill(reported(kind).begin(), reported(kind).end(), false);
  }
}

}  // namespace vantrel
