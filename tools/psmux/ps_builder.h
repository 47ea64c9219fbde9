#pragma once

// Building blocks of MPEG-2 program streams in the layouts of HD DVD ".EVO",
// DVD-Video ".VOB" and DVD-Audio ".AOB" files: pack headers, system headers,
// PES packets, private-stream substream headers, navigation packs and
// copy-control packets. Used by the tests, the sample generator and the
// benchmarks; nothing here is part of the program itself.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::psmux {

using Bytes = std::vector<uint8_t>;

inline constexpr size_t kPackSize = 2048;

void append(Bytes& out, const Bytes& more);
void put16(Bytes& out, uint32_t value);  // big-endian
void put32(Bytes& out, uint32_t value);
void set16(Bytes& out, size_t offset, uint32_t value);
void set32(Bytes& out, size_t offset, uint32_t value);

enum class Layout { HdDvd, Dvd };

// 14-byte pack header. HD DVD packs carry the fixed bytes 04 9D 43 F8 at
// offsets 10-13 (mux rate and no stuffing); DVD packs 01 89 C3 F8.
Bytes packHeader(uint64_t scr, Layout layout = Layout::HdDvd);

// System header with the given bounds and stream entries (stream id, buffer
// bound); audio_bound lands at pack offset 23, video_bound at 24.
Bytes systemHeader(int audioBound, int videoBound, const std::vector<uint8_t>& streamIds = {});

// The 5-byte PTS or DTS field with the given 4-bit prefix (2 = PTS only,
// 3 = PTS of a PTS+DTS pair, 1 = DTS).
Bytes timestampField(int prefix, uint64_t stamp);

struct Pes {
  uint8_t streamId = 0xE0;
  std::optional<uint64_t> pts;
  std::optional<uint64_t> dts;  // only together with pts
  std::optional<uint8_t> streamIdExtension;  // VC-1 on stream id FD: 55 or 56
  bool pstdBuffer = false;  // a P-STD buffer field in the PES extension
  int stuffing = 0;         // stuffing bytes (FF) at the end of the header
  Bytes payload;            // everything after the PES header
  std::optional<uint16_t> lengthOverride;  // write this PES_packet_length instead
};

// A PES packet with an MPEG-2 header. Stream ids BC, BE and BF get no
// optional header (their payload follows the length field directly).
Bytes pesPacket(const Pes& pes);
size_t pesHeaderSize(const Pes& pes);  // bytes before the payload

// Private stream 1 substream headers, to put in front of the data:
// audio (AC-3, DTS, E-AC-3, TrueHD): id, frame count, first access unit pointer;
Bytes audioSubstreamHeader(uint8_t id, uint8_t frames = 1, uint16_t firstAccessUnit = 1);
// LPCM: the four bytes above followed by the three LPCM bytes;
Bytes lpcmSubstreamHeader(uint8_t id, uint8_t emphasisMuteFrame, uint8_t format,
                          uint8_t dynamicRange, uint8_t frames = 1, uint16_t firstAccessUnit = 4);
// TrueHD carries one more byte after the four.
Bytes trueHdSubstreamHeader(uint8_t id, uint8_t frames = 1, uint16_t firstAccessUnit = 1);
// Subpictures: the substream id alone.
Bytes subpictureSubstreamHeader(uint8_t id);

// A padding packet of exactly `size` bytes (at least 6).
Bytes paddingPacket(size_t size);

// A whole 2,048-byte pack: pack header, the given packets, then padding.
// When fewer than 6 bytes would remain, the last packet must be a PES whose
// header can take stuffing: use packWithPes for that.
Bytes pack(uint64_t scr, const std::vector<Bytes>& packets, Layout layout = Layout::HdDvd);

// A pack holding one PES packet whose payload is cut to what fits; returns
// the pack and how many payload bytes it took. Fills the pack exactly,
// with header stuffing or a padding packet.
Bytes packWithPes(uint64_t scr, Pes pes, size_t* payloadTaken = nullptr,
                  Layout layout = Layout::HdDvd);

// The largest payload a pack can carry for this PES header.
size_t maxPayloadInPack(const Pes& pes);

struct Navigation {
  uint16_t vobNumber = 1;
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;
  std::array<uint16_t, 8> audioSync{};        // nonzero: the stream exists
  std::array<uint32_t, 32> subpictureSync{};  // nonzero: the stream exists
  int audioBound = 0;  // system header
  int videoBound = 1;
};

// A navigation pack: pack header, system header, PCI (private stream 2,
// substream 0) and DSI (substream 1). HD DVD: the DSI packet starts at 1287
// (00 00 01 BF 02 F3 01), its audio entries at DSI offset 530 and the
// subpicture entries at 546. DVD: DSI at 1024, entries at 402 and 418.
Bytes navigationPack(uint64_t scr, const Navigation& nav, Layout layout = Layout::HdDvd);

// Offset in a navigation pack of the first byte after the DSI substream id.
size_t dsiDataOffset(Layout layout);

struct CopyControl {
  uint8_t byte12 = 0;  // bits 7-6: scrambled
  uint8_t byte24 = 0;  // validity flags
  uint8_t byte26 = 0;  // CCI, APS, ICT, DOT
};

// A private-stream-2 packet with substream id 4 (body of 64 bytes).
Bytes copyControlPacket(const CopyControl& cc);

// An advanced-content pack: private stream 2 whose first payload byte is 80.
Bytes advancedContentPack(uint64_t scr);

}  // namespace vantrel::psmux
