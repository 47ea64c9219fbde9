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

// Navigation packs as HD DVD discs lay them out: a system header of five
// stream entries, then three private-stream-2 packets: the GCI (substream
// 04, 257 bytes) at pack offset 41, the PCI (00, 977) at 304 and the DSI
// (01, 755) at 1287. Field offsets count from the byte after the substream
// id; DSI fields follow the DVD layout (general information, seamless
// playback information), the sync entries sit at 530 and 546.
namespace nv {
inline constexpr size_t kGci = 41, kPci = 304, kDsi = 1287;  // packet start codes
inline constexpr size_t kGciData = kGci + 7, kPciData = kPci + 7, kDsiData = kDsi + 7;
inline constexpr size_t kGciCategory = 0, kGciStartPtm = 1;  // GCI_CAT 40; the unit's start, 40 bits
inline constexpr size_t kPciLbn = 0, kPciStartPtm = 12, kPciEndPtm = 16;
inline constexpr size_t kDsiScr = 0, kDsiLbn = 4, kDsiLastPack = 8, kDsiReferenceEnds = 12;
inline constexpr size_t kDsiVobId = 24, kDsiCellId = 27;
inline constexpr size_t kDsiCategory = 32, kDsiIlvuEnd = 34, kDsiNextIlvuStart = 38, kDsiNextIlvuSize = 42;
inline constexpr size_t kDsiVobStartPtm = 44, kDsiVobEndPtm = 48;
inline constexpr size_t kDsiAudioSync = 530, kDsiSubpictureSync = 546;
// Seamless playback categories: the unit lies in an interleaved unit, is
// its first unit, is its last unit.
inline constexpr uint16_t kInIlvu = 0x4000, kIlvuStart = 0x2000, kIlvuEnd = 0x1000;
inline constexpr uint32_t kNoNextIlvu = 0x7FFFFFFF;
}  // namespace nv

// The navigation pack of a video object unit in the disc layout: the
// fields of `nav`, the pack's SCR in the DSI, GCI_CAT 40 and cell 1. The
// addresses of the unit are filled once it is complete (setUnitAddresses).
Bytes discNavigationPack(uint64_t scr, const Navigation& nav);

// What a disc navigation pack says about its unit. Addresses are pack
// counts relative to the navigation pack (itself 0); lbn is its number in
// the file.
struct UnitAddresses {
  uint32_t lbn = 0;
  uint32_t lastPack = 0;
  std::array<uint32_t, 3> referenceEnds{};  // packs ending the 1st to 3rd reference picture; 0: none
  uint32_t startPtm = 0;  // presentation of the unit's first and after its last picture
  uint32_t endPtm = 0;
};
void setUnitAddresses(uint8_t* navPack, const UnitAddresses& unit);

// Seamless playback fields of a unit in an interleaved block: categories,
// the last pack of its interleaved unit and the start and size of the next
// interleaved unit of the same angle, all relative to the navigation pack.
struct Interleaving {
  uint16_t category = 0;
  uint32_t ilvuEnd = 0;
  uint32_t nextIlvuStart = nv::kNoNextIlvu;
  uint16_t nextIlvuSize = 0;
};
void setInterleaving(uint8_t* navPack, const Interleaving& ilvu);
// The navigation pack's number in its file, in the PCI and the DSI.
void setPackNumber(uint8_t* navPack, uint32_t lbn);

struct CopyControl {
  uint8_t byte12 = 0;  // bits 7-6: scrambled
  uint8_t byte24 = 0;  // validity flags
  uint8_t byte26 = 0;  // CCI, APS, ICT, DOT
};

// A private-stream-2 packet with substream id 4 (body of 64 bytes).
Bytes copyControlPacket(const CopyControl& cc);

// An advanced-content pack: private stream 2 whose first payload byte is 80.
Bytes advancedContentPack(uint64_t scr);

// A file of the advanced content carried as ADV_PCKs: private-stream-2
// packets of substream 80, each filling one pack, whose second byte holds
// the status (first 10, middle 00, last 20) and third the slot. The first
// packet names the file (31 bytes, zero-padded) and its data starts at
// payload offset 34; the others carry data from offset 4. Throws
// std::invalid_argument when the data fits one packet or the name is longer
// than 30 characters.
std::vector<Bytes> advancedStreamPackets(uint8_t slot, const std::string& fileName, const Bytes& data);

}  // namespace vantrel::psmux
