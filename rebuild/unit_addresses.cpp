#include "rebuild/unit_addresses.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

uint32_t get16(const uint8_t* at) { return uint32_t(at[0]) << 8 | at[1]; }
uint32_t get32(const uint8_t* at) { return get16(at) << 16 | get16(at + 2); }

void put16(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 8);
  at[1] = uint8_t(value);
}
void put32(uint8_t* at, uint32_t value) {
  put16(at, value >> 16);
  put16(at + 2, value);
}

// The PCI packet's data in front of the DSI, found by its start code and
// substream: discs put it at different places, or leave it out.
uint8_t* pciBody(uint8_t* pack) {
  constexpr uint8_t kStart[4] = {0x00, 0x00, 0x01, stream_id::kPrivateStream2};
  for (size_t at = kPackHeaderSize; at + kPesPrefixSize + 1 <= dsi::kHdDvdPacketAt; ++at) {
    if (std::memcmp(pack + at, kStart, 4) == 0 && pack[at + kPesPrefixSize] == pci::kSubstream)
      return pack + at + kPesPrefixSize + 1;
  }
  return nullptr;
}

}  // namespace

void UnitAddresses::open(const uint8_t* navPack, size_t size, int64_t at, const SyncOwners& owners) {
  std::memcpy(pack_.data(), navPack, kPackSize);
  size_ = size;
  at_ = at;
  owners_ = owners;
  open_ = true;
  sourceOffset_ = 0;
  keptPacks_ = 1;  // the navigation pack

  // The packs the source's fields name, relative to the navigation pack.
  const uint8_t* body = pack_.data() + dsi::kHdDvdBodyAt;
  targets_.fill({});
  for (size_t i = 0; i < dsi::kReferenceEnds; ++i)
    targets_[i].sourceOffset = get32(body + dsi::kReferenceEndsAt + 4 * i);
  for (size_t i = 0; i < dsi::kAudioSyncEntries; ++i) {
    const uint32_t address = get16(body + dsi::audioSyncAt(FileKind::Evo) + 2 * i) & dsi::kAudioSyncAddress;
    targets_[kAudioField + i].sourceOffset = address == dsi::kAudioSyncAddress ? 0 : address;
  }
  for (size_t i = 0; i < dsi::kSubpictureSyncEntries; ++i) {
    const uint32_t address =
        get32(body + dsi::subpictureSyncAt(FileKind::Evo) + 4 * i) & dsi::kSubpictureSyncAddress;
    targets_[kSubpictureField + i].sourceOffset = address == dsi::kSubpictureSyncAddress ? 0 : address;
  }
  targetCount_ = 0;
  for (size_t field = 0; field < kFields; ++field)
    if (targets_[field].sourceOffset != 0) order_[targetCount_++] = uint8_t(field);
  std::sort(order_.begin(), order_.begin() + ptrdiff_t(targetCount_), [this](uint8_t a, uint8_t b) {
    return targets_[a].sourceOffset < targets_[b].sourceOffset;
  });
  nextIndex_ = 0;
  nextTarget_ = targetCount_ > 0 ? targets_[order_[0]].sourceOffset : kNoTarget;
}

void UnitAddresses::resolve(bool kept, const StreamRange* range, uint8_t newId) {
  while (nextIndex_ < targetCount_ && targets_[order_[nextIndex_]].sourceOffset == sourceOffset_) {
    Target& target = targets_[order_[nextIndex_++]];
    target.reached = true;
    target.kept = kept;
    target.offset = keptPacks_;
    target.range = range;
    target.newId = newId;
  }
  nextTarget_ = nextIndex_ < targetCount_ ? targets_[order_[nextIndex_]].sourceOffset : kNoTarget;
}

// The rebuilt value of one source sync entry, and the number of the stream
// it now belongs to in `newNumber` (-1: the entry goes). The stream is the
// one of the pack it names, else the one of its number; a kept stream keeps
// the entry's flags, with the address of its pack in the rebuilt unit, or
// "no pack in the unit" when that pack lies elsewhere.
uint32_t UnitAddresses::syncEntry(size_t field, uint32_t entry, uint32_t address, StreamKind kind,
                                  int owner, int* newNumber) const {
  *newNumber = -1;
  if (entry == 0) return 0;
  const Target& target = targets_[field];
  const bool named = target.sourceOffset != 0 && target.reached;
  int newId = owner;
  if (named && target.range && target.range->kind == kind) newId = target.kept ? target.newId : -1;
  if (newId < 0) return 0;
  *newNumber = kind == StreamKind::Audio ? (newId & 0x07) : (newId & 0x1F);
  const uint32_t flags = entry & ~address;
  return flags | (named && target.kept ? target.offset : address);
}

void UnitAddresses::rewriteSync(uint8_t* body) const {
  uint8_t* audio = body + dsi::audioSyncAt(FileKind::Evo);
  std::array<uint32_t, dsi::kAudioSyncEntries> audioEntries{};
  for (size_t i = 0; i < audioEntries.size(); ++i) {
    int number = -1;
    const uint32_t value = syncEntry(kAudioField + i, get16(audio + 2 * i), dsi::kAudioSyncAddress,
                                     StreamKind::Audio, owners_.audio[i], &number);
    if (number >= 0 && audioEntries[size_t(number)] == 0) audioEntries[size_t(number)] = value;
  }
  for (size_t i = 0; i < audioEntries.size(); ++i) put16(audio + 2 * i, audioEntries[i]);

  uint8_t* subpictures = body + dsi::subpictureSyncAt(FileKind::Evo);
  std::array<uint32_t, dsi::kSubpictureSyncEntries> subpictureEntries{};
  for (size_t i = 0; i < subpictureEntries.size(); ++i) {
    int number = -1;
    const uint32_t value =
        syncEntry(kSubpictureField + i, get32(subpictures + 4 * i), dsi::kSubpictureSyncAddress,
                  StreamKind::Subpicture, owners_.subpicture[i], &number);
    if (number >= 0 && subpictureEntries[size_t(number)] == 0) subpictureEntries[size_t(number)] = value;
  }
  for (size_t i = 0; i < subpictureEntries.size(); ++i) put32(subpictures + 4 * i, subpictureEntries[i]);
}

void UnitAddresses::close(OutputFile& out) {
  if (const uint8_t* pack = complete()) out.writeAt(at_, pack, size_);
}

const uint8_t* UnitAddresses::complete() {
  if (!open_) return nullptr;
  open_ = false;
  uint8_t* body = pack_.data() + dsi::kHdDvdBodyAt;
  const auto packNumber = uint32_t(at_ / int64_t(kPackSize));
  // A PCI that gave the pack's number gives the new one.
  uint8_t* pci = pciBody(pack_.data());
  if (pci && get32(pci + pci::kPackNumberAt) == get32(body + dsi::kPackNumberAt))
    put32(pci + pci::kPackNumberAt, packNumber);
  put32(body + dsi::kPackNumberAt, packNumber);
  put32(body + dsi::kLastPackAt, keptPacks_ - 1);
  // A reference picture whose pack went (its video was dropped) ends nowhere.
  for (size_t i = 0; i < dsi::kReferenceEnds; ++i) {
    const Target& target = targets_[i];
    const bool kept = target.sourceOffset != 0 && target.reached && target.kept;
    put32(body + dsi::kReferenceEndsAt + 4 * i, kept ? target.offset : 0);
  }
  rewriteSync(body);
  return pack_.data();
}

}  // namespace vantrel
