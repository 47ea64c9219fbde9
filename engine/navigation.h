#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/stream_table.h"

namespace vantrel {

// Where the data search information (DSI) of a navigation pack keeps the
// fields the program reads and rewrites, counted from the byte after its
// substream id (private stream 2, substream 1).
namespace dsi {
// An HD DVD navigation pack's DSI packet, and the byte after its start
// code, length and substream id.
inline constexpr size_t kHdDvdPacketAt = 1287;
inline constexpr size_t kHdDvdBodyAt = kHdDvdPacketAt + 7;
// The unit's addresses, in packs counted from its navigation pack (0): the
// navigation pack's own number in the file (NV_PCK_LBN), the unit's last
// pack (EVOBU_EA) and the packs that end its first three reference pictures
// (0: none).
inline constexpr size_t kPackNumberAt = 4;
inline constexpr size_t kLastPackAt = 8;
inline constexpr size_t kReferenceEndsAt = 12;  // three, 4 bytes each
inline constexpr size_t kReferenceEnds = 3;
inline constexpr size_t kVobNumberAt = 24;      // VOBU_VOB_IDN
inline constexpr size_t kFirstVideoPtmAt = 44;  // VOB_V_S_PTM
inline constexpr size_t kLastVideoPtmAt = 48;   // VOB_V_E_PTM
inline constexpr size_t kAudioSyncEntries = 8;        // 2 bytes each
inline constexpr size_t kSubpictureSyncEntries = 32;  // 4 bytes each
// The sync entries lie 128 bytes earlier in a DVD ".VOB" than in HD DVD and
// DVD-Audio files.
constexpr size_t audioSyncAt(FileKind kind) { return kind == FileKind::Vob ? 402 : 530; }
constexpr size_t subpictureSyncAt(FileKind kind) { return kind == FileKind::Vob ? 418 : 546; }
// The address bits of a sync entry; all of them set: the stream has no pack
// in the unit. The bits above are flags.
inline constexpr uint16_t kAudioSyncAddress = 0x3FFF;
inline constexpr uint32_t kSubpictureSyncAddress = 0x3FFFFFFF;
}  // namespace dsi

// The presentation control information (PCI, private stream 2 substream 0)
// starts with the navigation pack's number in the file.
namespace pci {
inline constexpr uint8_t kSubstream = 0x00;
inline constexpr size_t kPackNumberAt = 0;
}  // namespace pci

// The fields the program uses from the data search information (DSI) of a
// navigation pack, private stream 2 substream 1. Offsets count from the
// byte after the substream id.
struct NavigationInfo {
  uint16_t vobNumber = 0;
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;
  int audioEntries = 0;         // nonzero audio synchronisation entries (8 x 2 bytes)
  int subpictureEntries = 0;    // nonzero subpicture synchronisation entries (32 x 4 bytes)
};

// Parses the DSI body; nullopt when `body` is shorter than the fields need.
std::optional<NavigationInfo> parseNavigation(std::span<const uint8_t> body, FileKind kind);

// The "VOB number", "PTM of first/last video frame" and "Duration" lines.
std::vector<std::string> describeNavigation(const NavigationInfo& nav, int videoCount,
                                            int audioCount, double durationSeconds);

// Copy-control packet, private stream 2 substream 4.
struct CopyControlInfo {
  bool scrambled = false;    // offset 12, bits 7-6
  bool cciValid = false;     // offset 24, bit 7
  bool apsValid = false;     // bit 6
  bool ictValid = false;     // bit 5
  bool dotValid = false;     // bit 4
  int cci = 0;               // offset 26, bits 7-5: copy-control status
  int aps = 0;               // bits 4-2: analog protection status
  bool ict = false;          // bit 1: image constraint token
  bool dot = false;          // bit 0: digital-only token
};

inline constexpr size_t kCopyControlBytesNeeded = 27;

std::optional<CopyControlInfo> parseCopyControl(std::span<const uint8_t> body);

// The scrambling warning and the copy-control lines.
std::vector<std::string> describeCopyControl(const CopyControlInfo& cc);

// Names of the copy-control status and the analog protection status by
// their 3-bit codes ("" for codes without a name).
std::string_view copyControlName(int cci);
std::string_view protectionName(int aps);

}  // namespace vantrel
