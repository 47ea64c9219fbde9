#include "engine/processing_state.h"

#include <algorithm>
#include <type_traits>

namespace vantrel {

namespace {

// The one of three per-kind arrays that belongs to `kind`.
template <typename Array>
auto ofKind(StreamKind kind, auto& video, auto& audio, Array& subpicture) {
  using Span = std::span<std::remove_reference_t<decltype(subpicture[0])>>;
  switch (kind) {
    case StreamKind::Video:
      return Span(video);
    case StreamKind::Audio:
      return Span(audio);
    case StreamKind::Subpicture:
      break;
  }
  return Span(subpicture);
}

}  // namespace

ProcessingState::ProcessingState() : ChunkBuffer(new uint8_t[kChunkSize]()) { resetCatalogue(); }

std::span<int32_t> ProcessingState::streamIds(StreamKind kind) {
  return ofKind(kind, VideoStreamId, AudioStreamId, SubpictureStreamId);
}

std::span<const int32_t> ProcessingState::streamIds(StreamKind kind) const {
  return ofKind(kind, VideoStreamId, AudioStreamId, SubpictureStreamId);
}

std::span<bool> ProcessingState::reported(StreamKind kind) {
  return ofKind(kind, VideoReported, AudioReported, SubpictureReported);
}

PerKind<int32_t> ProcessingState::catalogue() const {
  PerKind<int32_t> ids;
  for (StreamKind kind : kStreamKinds) std::ranges::copy(streamIds(kind), ids[kind].begin());
  return ids;
}

void ProcessingState::resetCatalogue() {
  for (StreamKind kind : kStreamKinds) {
    std::ranges::fill(streamIds(kind), -1);
    std::ranges::fill(reported(kind), false);
  }
}

}  // namespace vantrel
