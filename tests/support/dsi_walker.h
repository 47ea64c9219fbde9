#pragma once

// Walks the navigation packs of an HD DVD title and checks what players
// rely on, read straight from the bytes and independent of the code that
// wrote them: every DSI's NV_PCK_LBN is its pack's position, EVOBU_EA + 1
// reaches the next navigation pack (or the end of the file), the reference
// picture end addresses land on video packs of the unit, the sync entries
// on packs of their own stream, and interleaved units point at the end of
// their unit and at the next unit of the same angle.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing {

// How packs are numbered: from the start of each file (the EVO files of a
// disc), or from the start of the first file through the chain (one title
// written as one file and read back in parts).
enum class PackNumbering { PerFile, WholeChain };

struct DsiUnit {
  size_t file = 0;
  size_t pack = 0;  // in the chosen numbering
  uint32_t lastPack = 0;
  std::array<uint32_t, 3> referenceEnds{};
  uint16_t vobId = 0;
  uint16_t category = 0;
};

struct DsiWalk {
  std::vector<std::string> faults;  // empty: the navigation holds
  std::vector<DsiUnit> units;
  size_t packs = 0;
};

DsiWalk walkDsi(const std::vector<std::string>& files, PackNumbering numbering);
DsiWalk walkDsiBytes(const std::vector<std::vector<uint8_t>>& files, PackNumbering numbering);

}  // namespace vantrel::testing
