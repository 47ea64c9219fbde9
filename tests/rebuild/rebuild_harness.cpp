#include "tests/rebuild/rebuild_harness.h"

#include "common/text_format.h"
#include "workspace/source_paths.h"
#include "engine/stream_table.h"

namespace vantrel::testing {

namespace {
Bytes filled(size_t count, uint64_t serial) { return Bytes(count, uint8_t(serial)); }

psmux::Pes pesOf(uint8_t streamId, uint64_t serial) {
  psmux::Pes pes;
  pes.streamId = streamId;
  pes.pts = 3000 * serial;
  return pes;
}
}  // namespace

Title& Title::add(const Bytes& pack) {
  psmux::append(bytes_, pack);
  ++serial_;
  return *this;
}

Title& Title::nav(const psmux::Navigation& navigation) {
  return add(psmux::navigationPack(serial_, navigation));
}

Title& Title::nav() {
  psmux::Navigation n;
  n.audioBound = 3;
  n.videoBound = 1;
  n.firstVideoPtm = 0xAAAA0000u + uint32_t(serial_);
  n.lastVideoPtm = 0xBBBB0000u + uint32_t(serial_);
  for (size_t i = 0; i < n.audioSync.size(); ++i) n.audioSync[i] = uint16_t(0x1100 + i);
  for (size_t i = 0; i < n.subpictureSync.size(); ++i) n.subpictureSync[i] = 0x22220000u + uint32_t(i);
  return nav(n);
}

Title& Title::video(uint8_t streamId) {
  psmux::Pes pes = pesOf(streamId, serial_);
  pes.payload = filled(2100, serial_);
  return add(psmux::packWithPes(serial_, pes));
}

Title& Title::vc1(uint8_t extension, bool withDts, bool pstd) {
  psmux::Pes pes = pesOf(stream_id::kExtendedStream, serial_);
  if (withDts) pes.dts = 3000 * serial_ - 1500;
  pes.streamIdExtension = extension;
  pes.pstdBuffer = pstd;
  pes.payload = filled(2100, serial_);
  return add(psmux::packWithPes(serial_, pes));
}

Title& Title::audio(uint8_t substream) {
  psmux::Pes pes = pesOf(stream_id::kPrivateStream1, serial_);
  pes.payload = psmux::audioSubstreamHeader(substream);
  psmux::append(pes.payload, filled(2100, serial_));
  return add(psmux::packWithPes(serial_, pes));
}

Title& Title::subpicture(uint8_t substream) {
  psmux::Pes pes = pesOf(stream_id::kPrivateStream1, serial_);
  pes.payload = psmux::subpictureSubstreamHeader(substream);
  psmux::append(pes.payload, filled(2100, serial_));
  return add(psmux::packWithPes(serial_, pes));
}

Title& Title::mpegAudio(uint8_t streamId) {
  psmux::Pes pes = pesOf(streamId, serial_);
  pes.payload = filled(2100, serial_);
  return add(psmux::packWithPes(serial_, pes));
}

Title& Title::advanced() { return add(psmux::advancedContentPack(serial_)); }

Title& Title::copyControl() {
  return add(psmux::pack(serial_, {psmux::copyControlPacket({})}));
}

Title& Title::raw(const Bytes& bytes) { return add(bytes); }

Title& Title::filler(int count) {
  for (int i = 0; i < count; ++i) video(0xE0).audio(0x88).audio(0x89).audio(0x8A).subpicture(0x20).subpicture(0x21);
  return *this;
}

namespace {
uint64_t scrOf(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 4; i < 10; ++i) bits = (bits << 8) | p[i];
  // '01' SCR[32..30] marker SCR[29..15] marker SCR[14..0] marker ext marker
  return (((bits >> 43) & 7) << 30) | (((bits >> 27) & 0x7FFF) << 15) | ((bits >> 11) & 0x7FFF);
}

// The substream identifier, found by following the PES header fields.
int substreamOf(const uint8_t* p, size_t size) {
  if (size < 40) return -1;
  switch (p[17]) {
    case stream_id::kPrivateStream1:
      return p[23 + p[22]];
    case stream_id::kPrivateStream2:
      return p[20];
    case stream_id::kExtendedStream: {
      size_t at = 23;
      if (p[21] & 0x80) at += 5;
      if (p[21] & 0x40) at += 5;
      if (!(p[21] & 0x01)) return -1;
      uint8_t extensionFlags = p[at++];
      if (extensionFlags & 0x10) at += 2;
      if (!(extensionFlags & 0x01)) return -1;
      return p[at + 1];  // after PES_extension_field_length
    }
    default:
      return -1;
  }
}
}  // namespace

std::vector<WalkedPack> walk(const Bytes& file) {
  std::vector<WalkedPack> packs;
  for (size_t at = 0; at < file.size(); at += psmux::kPackSize) {
    WalkedPack pack;
    pack.bytes = file.data() + at;
    pack.size = std::min(psmux::kPackSize, file.size() - at);
    const uint8_t* p = pack.bytes;
    if (pack.size >= 18 && p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0xBA) {
      pack.scr = scrOf(p);
      pack.streamId = p[17];
      pack.substream = substreamOf(p, pack.size);
    }
    packs.push_back(pack);
  }
  return packs;
}

std::string summary(const Bytes& file) {
  std::string text;
  for (const WalkedPack& pack : walk(file)) {
    if (!text.empty()) text += ' ';
    switch (pack.streamId) {
      case 0:
        text += "?";
        break;
      case stream_id::kSystemHeader:
        text += "N";
        break;
      case stream_id::kPrivateStream1:
        text += hex2(uint32_t(pack.substream));
        break;
      case stream_id::kExtendedStream:
        text += "V" + hex2(uint32_t(pack.substream));
        break;
      case stream_id::kPrivateStream2:
        text += pack.substream == private2::kAdvancedContent ? "ADV" : "BF";
        break;
      default:
        text += hex2(pack.streamId);
    }
  }
  return text;
}

std::vector<uint64_t> scrs(const Bytes& file) {
  std::vector<uint64_t> out;
  for (const WalkedPack& pack : walk(file)) out.push_back(pack.scr);
  return out;
}

RebuildHarness::RebuildHarness() {
  ws.options.workdir = dir.path();
  host.defaultAnswer = true;  // a cancel question is answered Yes
}

void RebuildHarness::scanned(const std::string& source, const std::vector<uint8_t>& ids,
                           uint32_t firstPtm, uint32_t lastPtm) {
  ws.paths.eEVOfile = source;
  EVOadj(ws.paths, ws.buttons);
  ProcessingState& state = ws.session.state;
  state.resetCatalogue();
  for (uint8_t id : ids)
    for (const StreamRange& range : kStreamRanges)
      if (range.holds(id)) state.streamIds(range.kind)[size_t(range.slotOf(id))] = id;
  LabelStreamBoxes(ws.boxes, state.catalogue());
  state.FirstVideoPtm = firstPtm;
  state.LastVideoPtm = lastPtm;
  ws.catalogueOrigin = CatalogueOrigin::ReadEvo;
  ws.catalogueSource = source;
}

}  // namespace vantrel::testing
