#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/stream_ids.h"

namespace vantrel {

// Stream counts of the system header that follows the first pack header of a
// file (audio_bound, video_bound).
struct SystemHeaderCounts {
  int video = 0;
  int audio = 0;
};

// Reads the counts when bytes 16-17 of the first chunk end a system header
// start code directly after a 14-byte pack header.
std::optional<SystemHeaderCounts> parseSystemHeader(std::span<const uint8_t> firstChunk);

// The "It contains ..." line of a DVD-Audio object.
std::string describeSystemHeader(const SystemHeaderCounts& counts);

// The fields the program uses from the data search information (DSI) of a
// navigation pack, private stream 2 substream 1. Offsets count from the
// byte after the substream id.
struct NavigationInfo {
  uint16_t vobNumber = 0;       // VOBU_VOB_IDN, offset 24
  uint32_t firstVideoPtm = 0;   // VOB_V_S_PTM, offset 44
  uint32_t lastVideoPtm = 0;    // VOB_V_E_PTM, offset 48
  int audioEntries = 0;         // nonzero audio synchronisation entries (8 x 2 bytes)
  int subpictureEntries = 0;    // nonzero subpicture synchronisation entries (32 x 4 bytes)
};

// Bytes of the DSI the program reads, by file kind: the sync entries lie
// 128 bytes earlier in a DVD ".VOB" than in HD DVD and DVD-Audio files.
size_t navigationBytesNeeded(FileKind kind);

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
