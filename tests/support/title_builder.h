#pragma once

// The one builder of test titles: packs made with the program-stream
// builder (tools/psmux), put together pack by pack or from whole
// elementary streams, and read back pack by pack.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;

// A title built pack by pack; each pack's SCR is its index. The packets
// with given time stamps and data serve the engine's tests; the "tagged"
// ones (no arguments but the id) carry the pack's index as PTS / 3000 and
// as every payload byte, so that a rebuilt title shows which source packs
// survived and whether their bytes did.
class Title {
 public:
  explicit Title(psmux::Layout layout = psmux::Layout::HdDvd) : layout_(layout) {}

  Title& add(const Bytes& pack);  // a pack (or any bytes) made elsewhere
  Title& nav(const psmux::Navigation& navigation);
  Title& nav();  // bounds 3/1, distinct times, every sync entry nonzero
  Title& pes(psmux::Pes pes);
  Title& packet(const Bytes& packet);  // a pack holding this one packet
  Title& copyControl(const psmux::CopyControl& cc = {});
  Title& advanced();
  // Pads with padding packs up to `size` bytes (a multiple of 2048).
  Title& padTo(size_t size);

  Title& video(uint8_t streamId, std::optional<uint64_t> pts, const Bytes& es);
  // Private stream 1: `header` (the substream's), then `data`; audio()
  // takes the 4-byte audio substream header.
  Title& privateStream1(const Bytes& header, std::optional<uint64_t> pts, const Bytes& data);
  Title& audio(uint8_t id, std::optional<uint64_t> pts, const Bytes& data);
  Title& subpicture(uint8_t id, std::optional<uint64_t> pts, const Bytes& data);

  Title& video(uint8_t streamId);
  Title& vc1(uint8_t extension, bool withDts = false, bool pstd = false);
  Title& audio(uint8_t substream);
  Title& subpicture(uint8_t substream);
  Title& mpegAudio(uint8_t streamId);
  // `count` groups of: video E0, audio 88, 89, 8A, subpicture 20, 21.
  Title& filler(int count);

  const Bytes& bytes() const { return bytes_; }
  uint64_t packs() const { return packs_; }
  // Payload bytes of the last pes() that fitted its pack.
  size_t lastPayloadBytes() const { return lastPayload_; }

 private:
  psmux::Pes tagged(uint8_t streamId) const;
  psmux::Layout layout_;
  Bytes bytes_;
  uint64_t packs_ = 0;
  size_t lastPayload_ = 0;
};

// MPEG-2 video bytes: a sequence header and `pictures` picture start codes.
Bytes mpeg2Pictures(int pictures);

// A small title: a navigation pack, `videoPacks` MPEG-2 video packs on E0
// of two pictures each, AC-3 on 80 and a subpicture on 22, each payload
// tagged with `tag` so that files can be told apart in the outputs.
Bytes smallTitle(uint8_t tag = 1, int videoPacks = 2, uint32_t firstPtm = 90000);

// One elementary stream of a title.
struct TitleStream {
  std::string file;  // the encoded elementary stream, empty for hand-made data
  Bytes bytes;
  uint8_t streamId = 0xE0;
  Bytes substreamHeader;  // in front of every packet's payload
  uint32_t firstPts = 90000;
  std::optional<uint8_t> streamIdExtension;  // VC-1 on stream id FD
};

// The streams cut into packs of one PES packet each (the first with the
// stream's PTS) and interleaved pack by pack, as a muxer would; with a
// navigation pack and a copy-control packet in front when given.
Bytes muxTitle(const std::vector<TitleStream>& streams,
               const std::optional<psmux::Navigation>& nav = std::nullopt,
               const std::optional<psmux::CopyControl>& cc = std::nullopt);

// Runs Debian's ffmpeg with `arguments` writing `dir`/`name`; the stream's
// bytes, or none when ffmpeg failed (the failure is reported to the test).
Bytes ffmpegEncode(const TempDir& dir, const std::string& name, const std::string& arguments);

// One pack read back: its SCR and identifiers, read independently of the
// program's parser.
struct WalkedPack {
  uint64_t scr = 0;
  uint8_t streamId = 0;  // byte 17: BB for a navigation pack
  int substream = -1;    // BD substream, FD extension or BF first payload byte
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};

std::vector<WalkedPack> walk(const Bytes& file);
// "N E0 88 89 V55 20 ADV BF C0 ?": one token per pack.
std::string summary(const Bytes& file);
// The SCRs of the packs, in file order.
std::vector<uint64_t> scrs(const Bytes& file);

}  // namespace vantrel::testing
