#include "engine/stream_table.h"

#include "common/path_rules.h"

namespace vantrel {

namespace {

constexpr int8_t kNoRange = -1;

// Per identifier space, the index in kStreamRanges of each identifier's
// range, so that a packet is classified with one look-up.
using RangeIndex = std::array<std::array<int8_t, 256>, kIdSpaces>;

constexpr RangeIndex makeIndex() {
  RangeIndex index{};
  for (auto& space : index) space.fill(kNoRange);
  for (size_t r = 0; r < kStreamRanges.size(); ++r) {
    const StreamRange& range = kStreamRanges[r];
    for (int id = range.first; id <= range.last; ++id)
      index[size_t(range.space)][size_t(id)] = int8_t(r);
  }
  return index;
}

constexpr RangeIndex kIndex = makeIndex();

// Ranges of one space never overlap, and the ranges of one kind never do
// either, so that a catalogue value names one range.
constexpr bool rangesApart() {
  for (size_t a = 0; a < kStreamRanges.size(); ++a)
    for (size_t b = a + 1; b < kStreamRanges.size(); ++b) {
      const StreamRange& x = kStreamRanges[a];
      const StreamRange& y = kStreamRanges[b];
      const bool overlap = x.first <= y.last && y.first <= x.last;
      if (overlap && (x.space == y.space || x.kind == y.kind)) return false;
    }
  return true;
}
static_assert(rangesApart());

}  // namespace

const StreamRange* findRange(IdSpace space, uint8_t id) {
  const int8_t r = kIndex[size_t(space)][id];
  return r == kNoRange ? nullptr : &kStreamRanges[size_t(r)];
}

const StreamRange* rangeOfCatalogued(StreamKind kind, int32_t value) {
  for (const StreamRange& range : kStreamRanges)
    if (range.kind == kind && range.holds(value)) return &range;
  return nullptr;
}

FileKind fileKindOf(std::string_view path) {
  std::string ext = upperExtensionOf(path);
  if (ext == ".AOB") return FileKind::Aob;
  if (ext == ".VOB") return FileKind::Vob;
  return FileKind::Evo;
}

StreamCodec codecIn(const StreamRange& range, uint8_t id, FileKind fileKind) {
  constexpr uint8_t kDvdAudioMlpSubstream = 0xA1;
  if (range.codec == StreamCodec::Lpcm && id == kDvdAudioMlpSubstream && fileKind == FileKind::Aob)
    return StreamCodec::Mlp;
  return range.codec;
}

}  // namespace vantrel
