#pragma once

// Interleaves elementary streams into an HD DVD program stream of 2,048-byte
// packs: one PES packet per pack, a navigation pack (system header, PCI and
// DSI) at the start of every video object unit, a copy-control pack after
// the first navigation pack. The packs go to a PackSink as they are made, so
// titles of any length need no more memory than a few access units.
// Output depends only on the input: the same streams give the same bytes.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/psmux/access_units.h"
#include "tools/psmux/pack_sink.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

enum class EsCodec : uint8_t { Mpeg2Video, H264Video, Vc1Video, Ac3, Eac3, Dts, Lpcm, TrueHd, Subpicture };

inline bool isVideoCodec(EsCodec codec) {
  return codec == EsCodec::Mpeg2Video || codec == EsCodec::H264Video || codec == EsCodec::Vc1Video;
}

struct EsStream {
  EsCodec codec = EsCodec::Mpeg2Video;
  // MPEG-2 video: stream id E0 or E1; H.264: E2 or E3; VC-1: the stream id
  // extension 55 or 56 (stream id FD). Audio and subpictures: the private
  // stream 1 substream id (AC-3 80-87, DTS 88-8F, LPCM A0-A7, TrueHD B0-B7,
  // E-AC-3 C0-CF, subpictures 20-3F and 60-7F).
  uint8_t id = 0xE0;
  AccessUnitSource* source = nullptr;
  // LPCM header bytes: quantization, sampling frequency, channels - 1; and
  // the dynamic range (80: none).
  uint8_t lpcmFormat = 0x01;
  uint8_t lpcmDynamicRange = 0x80;
};

struct MuxOptions {
  uint16_t vobNumber = 1;
  uint64_t scrStart = 0;        // lowest SCR of the first pack (90 kHz)
  uint64_t deliveryLead = 27000;  // a pack arrives this long before its data is decoded
  uint64_t unitLength = 45000;  // without video: a new video object unit after this long
  std::optional<CopyControl> copyControl;  // written once, after the first navigation pack
  int advancedContentPacks = 0;            // written after the copy-control pack
  // Navigation packs as discs lay them out (discNavigationPack): GCI, PCI
  // and a DSI that gives each unit's pack number, last pack, reference
  // picture ends and presentation times. Off: the compact layout.
  bool discNavigation = false;
  // Packets of advanced content (advancedStreamPackets), one pack each,
  // written after the advanced-content packs in the first unit.
  std::vector<Bytes> advancedStreamPackets;
  bool recordPacks = false;  // list every stream's packs in MuxedStream::packNumbers
};

struct MuxedStream {
  uint64_t units = 0;
  uint64_t bytes = 0;
  uint64_t packs = 0;
  uint64_t firstPts = 0;
  uint64_t lastPts = 0;
  std::vector<uint64_t> packNumbers;  // with recordPacks: the stream's packs, counted from the first
};

struct MuxResult {
  uint64_t packs = 0;
  uint64_t navigationPacks = 0;
  uint64_t firstScr = 0;  // of the first pack
  uint64_t nextScr = 0;   // scrStart for the next file of a chain
  // Presentation start of the first picture and end of the last one of the
  // first video stream, as written into every DSI (0 without video).
  uint32_t firstVideoPtm = 0;
  uint32_t lastVideoPtm = 0;
  std::vector<MuxedStream> streams;  // in the order given
  std::vector<uint64_t> unitStarts;  // pack number of every navigation pack
};

// Muxes until every source is exhausted. Throws std::invalid_argument for a
// stream id that does not fit its codec, a repeated id, a missing source, an
// empty access unit or decoding times that go backwards; sink errors pass
// through.
MuxResult muxProgramStream(const std::vector<EsStream>& streams, const MuxOptions& options,
                           PackSink& sink);

// SCR ticks one pack takes at the HD DVD mux rate of the pack header
// (3,780,000 bytes per second), rounded up.
inline constexpr uint64_t kTicksPerPack = 49;

}  // namespace vantrel::psmux
