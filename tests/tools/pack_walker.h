#pragma once

// A strict walk over an HD DVD program stream for the tests: checks every
// pack header and packet boundary, and collects per stream the payload with
// its headers removed, the time stamps and where they sit, the navigation
// packs and the copy-control packets. Written from the MPEG-2 systems layout
// independently of the builders it checks.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::testing {

using Bytes = std::vector<uint8_t>;

// Stream key: the PES stream id, with the substream id (private stream 1)
// or the stream id extension (FD) in the low byte.
inline uint32_t streamKey(uint8_t streamId, int sub = -1) {
  return sub < 0 ? uint32_t(streamId) << 8 : (uint32_t(streamId) << 8) | uint32_t(sub);
}

struct WalkedPacket {
  size_t pack = 0;
  uint32_t key = 0;
  std::optional<uint64_t> pts;
  std::optional<uint64_t> dts;
  Bytes substreamHeader;  // after the substream id, before the data
  size_t payloadOffset = 0;  // where this packet's data starts in the stream's payload
  size_t payloadSize = 0;
};

struct WalkedNavigation {
  size_t pack = 0;
  uint64_t scr = 0;
  int audioBound = -1;
  int videoBound = -1;
  bool dsiAt1287 = false;  // 00 00 01 BF 02 F3 01 at pack offset 1287
  uint16_t vobNumber = 0;
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;
  std::array<uint16_t, 8> audioSync{};
  std::array<uint32_t, 32> subpictureSync{};
};

struct Walk {
  size_t packs = 0;
  std::vector<std::string> faults;  // empty when the stream is well formed
  std::vector<uint64_t> scr;        // per pack
  std::vector<WalkedNavigation> navigation;
  std::vector<WalkedPacket> packets;  // video and private stream 1 packets, in file order
  std::map<uint32_t, Bytes> payload;  // per stream key
  std::vector<Bytes> copyControl;     // bodies after substream id 04
  size_t advancedContentPacks = 0;
  std::vector<size_t> packetsOf(uint32_t key) const;  // indices into packets
};

Walk walkProgramStream(const Bytes& file);

// Bytes a private stream 1 substream header takes after the substream id.
size_t substreamHeaderBytes(uint8_t substream);

}  // namespace vantrel::testing
