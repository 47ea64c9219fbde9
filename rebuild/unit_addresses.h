#pragma once

// The addresses a navigation pack gives for its unit, made true for the
// rebuilt title: its own pack number, the unit's last pack, the packs that
// end the unit's reference pictures and the sync entries of its streams.
// The unit's packs are followed while they are copied; the navigation pack,
// written when the unit began, is written again once the unit is complete,
// so that only one pack is ever held.

#include <array>
#include <cstdint>
#include <limits>

#include "common/file_io.h"
#include "engine/navigation.h"
#include "engine/program_stream.h"
#include "engine/stream_table.h"

namespace vantrel {

// Who the sync entries of the source belong to, per audio decoding number
// and per subpicture stream number: the new identifier of the kept stream
// of that number, or -1 (no stream, or a dropped one).
struct SyncOwners {
  std::array<int16_t, dsi::kAudioSyncEntries> audio;
  std::array<int16_t, dsi::kSubpictureSyncEntries> subpicture;
};

class UnitAddresses {
 public:
  // A kept navigation pack whose DSI header was found, already rewritten,
  // of which `size` bytes go to byte `at` of the output.
  void open(const uint8_t* navPack, size_t size, int64_t at, const SyncOwners& owners);

  // Every source pack after the navigation pack, kept or not, up to the
  // next navigation pack; `range` names its stream when the table knows it
  // and `newId` is the identifier it was written with.
  void pack(bool kept, const StreamRange* range, uint8_t newId) {
    if (!open_) return;
    ++sourceOffset_;
    if (sourceOffset_ == nextTarget_) resolve(kept, range, newId);
    if (kept) ++keptPacks_;
  }

  // Ends the open unit, if any: its navigation pack is written again with
  // the addresses of the packs that were kept.
  void close(OutputFile& out);

  // Ends the open unit and gives its navigation pack with those addresses,
  // to be written over the bytes at `at()` (null when no unit was open).
  const uint8_t* complete();
  int64_t at() const { return at_; }
  size_t size() const { return size_; }

 private:
  // The fields that name a pack: the reference ends, then the audio and
  // the subpicture sync entries.
  static constexpr size_t kAudioField = dsi::kReferenceEnds;
  static constexpr size_t kSubpictureField = kAudioField + dsi::kAudioSyncEntries;
  static constexpr size_t kFields = kSubpictureField + dsi::kSubpictureSyncEntries;
  static constexpr uint32_t kNoTarget = std::numeric_limits<uint32_t>::max();

  // What a field's source pack turned out to be.
  struct Target {
    uint32_t sourceOffset = 0;  // 0: the field names no pack
    bool reached = false;
    bool kept = false;
    uint32_t offset = 0;  // in the rebuilt unit
    const StreamRange* range = nullptr;
    uint8_t newId = 0;
  };

  void resolve(bool kept, const StreamRange* range, uint8_t newId);
  uint32_t syncEntry(size_t field, uint32_t entry, uint32_t address, StreamKind kind, int owner,
                     int* newNumber) const;
  void rewriteSync(uint8_t* body) const;

  bool open_ = false;
  std::array<uint8_t, kPackSize> pack_{};
  size_t size_ = 0;
  int64_t at_ = 0;
  SyncOwners owners_{};
  uint32_t sourceOffset_ = 0;
  uint32_t keptPacks_ = 0;
  std::array<Target, kFields> targets_{};
  std::array<uint8_t, kFields> order_{};  // fields with a target, by source offset
  size_t targetCount_ = 0;
  size_t nextIndex_ = 0;
  uint32_t nextTarget_ = kNoTarget;
};

}  // namespace vantrel
