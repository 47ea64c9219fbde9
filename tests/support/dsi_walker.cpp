#include "tests/support/dsi_walker.h"

#include <map>

#include "tests/support/temp_dir.h"

namespace vantrel::testing {

namespace {

constexpr size_t kPack = 2048;

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

enum class Kind { Navigation, Video, Audio, Subpicture, Other, Broken };

struct Pack {
  Kind kind = Kind::Other;
  int number = -1;  // audio decoding number, subpicture stream number
  const uint8_t* bytes = nullptr;
};

Pack classify(const uint8_t* p) {
  Pack pack{Kind::Broken, -1, p};
  const size_t at = 14 + (p[13] & 7);
  if (be32(p) != 0x000001BA || at + 9 > kPack || be32(p + at) >> 8 != 1) return pack;
  const uint8_t id = p[at + 3];
  pack.kind = Kind::Other;
  if (id == 0xBB) pack.kind = Kind::Navigation;
  if ((id >= 0xE0 && id <= 0xEF) || id == 0xFD) pack.kind = Kind::Video;
  if (id >= 0xC0 && id <= 0xDF) pack = {Kind::Audio, id & 7, p};
  const size_t sub = at + 9 + p[at + 8];
  if (id == 0xBD && sub < kPack) {
    const uint8_t s = p[sub];
    if ((s & 0xE0) == 0x20) pack = {Kind::Subpicture, s & 0x1F, p};
    if ((s >= 0x80 && s <= 0x8F) || (s >= 0xA0 && s <= 0xB7) || (s >= 0xC0 && s <= 0xCF)) pack = {Kind::Audio, s & 7, p};
  }
  return pack;
}

// The data after the substream id of the navigation pack's private stream 2
// packet with this substream (the corpus advises scanning: discs may zero a
// packet, start code included).
const uint8_t* privateStream2(const uint8_t* p, uint8_t substream) {
  for (size_t at = 14; at + 7 <= kPack; ++at) {
    if (be32(p + at) == 0x000001BF && p[at + 6] == substream) return p + at + 7;
  }
  return nullptr;
}

class Walker {
 public:
  Walker(const std::vector<std::vector<uint8_t>>& files, PackNumbering numbering) {
    for (size_t f = 0; f < files.size(); ++f) {
      if (files[f].size() % kPack) fault(f, 0, "not a whole number of packs");
      fileStart_.push_back(packs_.size());
      for (size_t at = 0; at + kPack <= files[f].size(); at += kPack) {
        packs_.push_back(classify(files[f].data() + at));
        fileOf_.push_back(f);
        if (packs_.back().kind == Kind::Navigation) navigation_.push_back(packs_.size() - 1);
      }
      if (packs_.size() > fileStart_.back() && packs_[fileStart_.back()].kind != Kind::Navigation) {
        fault(f, 0, "the file does not start with a navigation pack");
      }
    }
    fileStart_.push_back(packs_.size());
    numbering_ = numbering;
    walk_.packs = packs_.size();
  }

  DsiWalk run() {
    for (size_t i = 0; i < navigation_.size(); ++i) unit(i);
    return std::move(walk_);
  }

 private:
  size_t fileEnd(size_t index) const { return fileStart_[fileOf_[index] + 1]; }

  size_t numbered(size_t index) const {
    return numbering_ == PackNumbering::PerFile ? index - fileStart_[fileOf_[index]] : index;
  }

  void fault(size_t file, size_t pack, const std::string& what) {
    walk_.faults.push_back("file " + std::to_string(file) + " pack " + std::to_string(pack) + ": " + what);
  }

  // The pack `offset` packs after the navigation pack at `index`, when it lies in the unit.
  const Pack* inUnit(size_t index, uint32_t offset, uint32_t lastPack) const {
    if (offset > lastPack || index + offset >= fileEnd(index)) return nullptr;
    return &packs_[index + offset];
  }

  void unit(size_t i) {
    const size_t index = navigation_[i];
    const size_t file = fileOf_[index];
    const size_t pack = numbered(index);
    const uint8_t* dsi = privateStream2(packs_[index].bytes, 0x01);
    if (!dsi) return fault(file, pack, "navigation pack without a DSI");
    const uint8_t* pci = privateStream2(packs_[index].bytes, 0x00);
    DsiUnit unit{file, pack, be32(dsi + 8), {be32(dsi + 12), be32(dsi + 16), be32(dsi + 20)}, be16(dsi + 24),
                 be16(dsi + 32)};
    walk_.units.push_back(unit);
    auto is = [&](uint32_t value, const char* field) {
      if (value != pack) fault(file, pack, std::string(field) + " " + std::to_string(value));
    };
    is(be32(dsi + 4), "DSI NV_PCK_LBN");
    if (pci) is(be32(pci), "PCI NV_PCK_LBN");

    const size_t next = i + 1 < navigation_.size() && fileOf_[navigation_[i + 1]] == file ? navigation_[i + 1]
                                                                                        : fileEnd(index);
    if (index + unit.lastPack + 1 != next) {
      fault(file, pack, "EVOBU_EA " + std::to_string(unit.lastPack) + " misses the next unit, " +
                            std::to_string(next - index) + " packs on");
    }
    for (uint32_t end : unit.referenceEnds) {
      const Pack* target = inUnit(index, end, unit.lastPack);
      if (end != 0 && (!target || target->kind != Kind::Video)) {
        fault(file, pack, "reference end " + std::to_string(end) + " is not a video pack of the unit");
      }
    }
    for (int n = 0; n < 8; ++n) {
      const uint32_t entry = be16(dsi + 530 + 2 * size_t(n));
      if (entry != 0 && (entry & 0x3FFF) != 0x3FFF) syncEntry(index, unit, entry, Kind::Audio, n);
    }
    for (int n = 0; n < 32; ++n) {
      const uint32_t entry = be32(dsi + 546 + 4 * size_t(n));
      if (entry != 0 && (entry & 0x3FFFFFFF) != 0x3FFFFFFF) syncEntry(index, unit, entry, Kind::Subpicture, n);
    }
    if (unit.category & 0x4000) interleaved(index, unit, dsi);
  }

  void syncEntry(size_t index, const DsiUnit& unit, uint32_t entry, Kind kind, int number) {
    const Pack* target = inUnit(index, entry, unit.lastPack);
    if (!target || target->kind != kind || target->number != number) {
      fault(unit.file, unit.pack,
            std::string(kind == Kind::Audio ? "audio" : "subpicture") + " sync entry " + std::to_string(number) +
                " (" + std::to_string(entry) + ") is not a pack of its stream");
    }
  }

  void interleaved(size_t index, const DsiUnit& unit, const uint8_t* dsi) {
    const size_t end = index + be32(dsi + 34);
    if (end < index + unit.lastPack || end >= fileEnd(index) ||
        (end + 1 < fileEnd(index) && packs_[end + 1].kind != Kind::Navigation)) {
      fault(unit.file, unit.pack, "ILVU end address does not end a unit of the interleaved unit");
    }
    const uint32_t nextStart = be32(dsi + 38);
    if (nextStart == 0x7FFFFFFF) return;
    const size_t target = index + nextStart;
    const uint8_t* nextDsi = target < fileEnd(index) && packs_[target].kind == Kind::Navigation
                                 ? privateStream2(packs_[target].bytes, 0x01)
                                 : nullptr;
    if (!nextDsi || be16(nextDsi + 24) != unit.vobId) {
      fault(unit.file, unit.pack, "next ILVU start is not a unit of the same EVOB");
    }
  }

  PackNumbering numbering_ = PackNumbering::PerFile;
  std::vector<Pack> packs_;  // of all files
  std::vector<size_t> fileOf_;
  std::vector<size_t> fileStart_;  // and the end of the last
  std::vector<size_t> navigation_;
  DsiWalk walk_;
};

}  // namespace

DsiWalk walkDsiBytes(const std::vector<std::vector<uint8_t>>& files, PackNumbering numbering) {
  return Walker(files, numbering).run();
}

DsiWalk walkDsi(const std::vector<std::string>& files, PackNumbering numbering) {
  std::vector<std::vector<uint8_t>> bytes;
  for (const std::string& file : files) bytes.push_back(readFileBytes(file));
  return walkDsiBytes(bytes, numbering);
}

}  // namespace vantrel::testing
