#include "tools/psmux/angle_block.h"

#include <algorithm>
#include <stdexcept>

namespace vantrel::psmux {

namespace {

struct Ilvu {
  uint64_t firstPack = 0;  // in the angle's own packs
  uint64_t packs = 0;
  std::vector<uint64_t> units;  // navigation packs, in the angle's own numbering
  uint64_t placedAt = 0;        // in the block
};

std::vector<Ilvu> cutIntoIlvus(const AngleEvob& angle, size_t unitsPerIlvu) {
  const uint64_t total = angle.packs->size() / kPackSize;
  const std::vector<uint64_t>& starts = angle.unitStarts;
  if (starts.empty() || starts.front() != 0 || !std::is_sorted(starts.begin(), starts.end()) ||
      starts.back() >= total) {
    throw std::invalid_argument("angle units do not tile its packs");
  }
  std::vector<Ilvu> ilvus;
  for (size_t first = 0; first < starts.size(); first += unitsPerIlvu) {
    const size_t end = std::min(first + unitsPerIlvu, starts.size());
    Ilvu ilvu;
    ilvu.firstPack = starts[first];
    ilvu.packs = (end < starts.size() ? starts[end] : total) - ilvu.firstPack;
    ilvu.units.assign(starts.begin() + std::ptrdiff_t(first), starts.begin() + std::ptrdiff_t(end));
    ilvus.push_back(std::move(ilvu));
  }
  return ilvus;
}

}  // namespace

std::vector<std::vector<uint64_t>> interleaveAngles(const std::vector<AngleEvob>& angles,
                                                    size_t unitsPerIlvu, PackSink& sink) {
  if (unitsPerIlvu == 0) throw std::invalid_argument("an interleaved unit needs at least one unit");
  std::vector<std::vector<Ilvu>> ilvus;
  size_t rounds = 0;
  for (const AngleEvob& angle : angles) {
    ilvus.push_back(cutIntoIlvus(angle, unitsPerIlvu));
    rounds = std::max(rounds, ilvus.back().size());
  }
  // Place every interleaved unit first: each unit's fields name the next one of its angle.
  uint64_t at = 0;
  for (size_t round = 0; round < rounds; ++round) {
    for (std::vector<Ilvu>& angle : ilvus) {
      if (round < angle.size()) {
        angle[round].placedAt = at;
        at += angle[round].packs;
      }
    }
  }
  std::vector<std::vector<uint64_t>> numbers(angles.size());
  for (size_t a = 0; a < angles.size(); ++a) numbers[a].resize(angles[a].packs->size() / kPackSize);

  Bytes pack(kPackSize);
  for (size_t round = 0; round < rounds; ++round) {
    for (size_t a = 0; a < angles.size(); ++a) {
      if (round >= ilvus[a].size()) continue;
      const Ilvu& ilvu = ilvus[a][round];
      const Ilvu* next = round + 1 < ilvus[a].size() ? &ilvus[a][round + 1] : nullptr;
      for (uint64_t i = 0; i < ilvu.packs; ++i) {
        const uint64_t own = ilvu.firstPack + i;
        const uint64_t placed = ilvu.placedAt + i;
        numbers[a][own] = placed;
        std::copy_n(angles[a].packs->begin() + std::ptrdiff_t(own * kPackSize), kPackSize, pack.begin());
        auto unit = std::find(ilvu.units.begin(), ilvu.units.end(), own);
        if (unit != ilvu.units.end()) {
          Interleaving fields;
          fields.category = nv::kInIlvu;
          if (unit == ilvu.units.begin()) fields.category |= nv::kIlvuStart;
          if (unit + 1 == ilvu.units.end()) fields.category |= nv::kIlvuEnd;
          fields.ilvuEnd = uint32_t(ilvu.placedAt + ilvu.packs - 1 - placed);
          if (next) {
            fields.nextIlvuStart = uint32_t(next->placedAt - placed);
            fields.nextIlvuSize = uint16_t(std::min<uint64_t>(next->packs, 0xFFFF));
          }
          setPackNumber(pack.data(), uint32_t(placed));
          setInterleaving(pack.data(), fields);
        }
        sink.write(pack.data());
      }
    }
  }
  return numbers;
}

}  // namespace vantrel::psmux
