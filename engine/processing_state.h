#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "engine/run_hold.h"
#include "engine/stream_table.h"

namespace vantrel {

inline constexpr size_t kChunkSize = 262'144;  // 128 packs of 2,048 bytes
inline constexpr uint32_t kNoFirstPts = 0xFFFFFFFF;

// The one record of processing state shared by the operations of a session:
// the stream catalogue of the last pass, the report flags, the timing values
// of a driver run, the frame counters, the read buffer and the control
// flags. The files a run reads and writes belong to the run, not to this
// record: the drivers hand them to the engine.
struct ProcessingState {
  ProcessingState();

  // Stream catalogue: the identifying byte of each slot, or -1. Reset at the
  // start of every engine pass; after Read XPL a value of 1 marks a track the
  // playlist announced.
  std::array<int32_t, kVideoSlots> VideoStreamId;
  std::array<int32_t, kAudioSlots> AudioStreamId;
  std::array<int32_t, kSubpictureSlots> SubpictureStreamId;

  // Details of the stream were logged in this pass.
  std::array<bool, kVideoSlots> VideoReported{};
  std::array<bool, kAudioSlots> AudioReported{};
  std::array<bool, kSubpictureSlots> SubpictureReported{};

  // Timing, 90 kHz units, low 32 bits of the 33-bit time stamps.
  uint32_t FirstVideoPtm = 0;
  uint32_t LastVideoPtm = 0;
  uint32_t MinFirstPts = 0;
  double TitleDuration = 0;  // seconds, summed over the files of a run
  double FileDuration = 0;   // days, of the latest file

  std::array<int32_t, kVideoSlots> FrameCount{};
  std::array<double, kVideoSlots> VideoFrameRate{};

  // The engine's read buffer: one chunk of the input at a time.
  std::unique_ptr<uint8_t[]> ChunkBuffer;

  // Control flags. CancelRequested is set from the user-interface thread
  // while a pass runs on a worker.
  std::atomic<bool> CancelRequested{false};
  std::atomic<bool> DemuxActive{false};
  std::atomic<bool> ScanLimitReached{false};
  // Interleaved angle blocks of the run that lack the angle to keep.
  int BlocksWithoutAngle = 0;
  // Held by the user-interface thread while it asks whether to stop.
  RunHold Hold;

  // The one checkpoint of a pass, before each chunk: waits while the run is
  // held, then tells whether the user asked to stop.
  bool stopAtChunk() {
    Hold.checkpoint();
    return CancelRequested;
  }

  // The catalogue and the report flags of one kind, by slot.
  std::span<int32_t> streamIds(StreamKind kind);
  std::span<const int32_t> streamIds(StreamKind kind) const;
  std::span<bool> reported(StreamKind kind);
  PerKind<int32_t> catalogue() const;

  // Sets every catalogue slot to -1 and clears the report flags.
  void resetCatalogue();
};

}  // namespace vantrel
