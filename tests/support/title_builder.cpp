#include "tests/support/title_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/text_format.h"
#include "engine/stream_table.h"

namespace vantrel::testing {

using psmux::append;

Title& Title::add(const Bytes& pack) {
  append(bytes_, pack);
  ++packs_;
  return *this;
}

Title& Title::nav(const psmux::Navigation& navigation) {
  return add(psmux::navigationPack(packs_, navigation, layout_));
}

Title& Title::nav() {
  psmux::Navigation n;
  n.audioBound = 3;
  n.videoBound = 1;
  n.firstVideoPtm = 0xAAAA0000u + uint32_t(packs_);
  n.lastVideoPtm = 0xBBBB0000u + uint32_t(packs_);
  for (size_t i = 0; i < n.audioSync.size(); ++i) n.audioSync[i] = uint16_t(0x1100 + i);
  for (size_t i = 0; i < n.subpictureSync.size(); ++i)
    n.subpictureSync[i] = 0x22220000u + uint32_t(i);
  return nav(n);
}

Title& Title::pes(psmux::Pes pes) {
  return add(psmux::packWithPes(packs_, std::move(pes), &lastPayload_, layout_));
}

Title& Title::packet(const Bytes& packet) {
  return add(psmux::pack(packs_, {packet}, layout_));
}

Title& Title::copyControl(const psmux::CopyControl& cc) {
  return packet(psmux::copyControlPacket(cc));
}

Title& Title::advanced() {
  return add(psmux::advancedContentPack(packs_));
}

Title& Title::padTo(size_t size) {
  while (bytes_.size() < size) add(psmux::pack(packs_, {}, layout_));
  return *this;
}

Title& Title::video(uint8_t streamId, std::optional<uint64_t> pts, const Bytes& es) {
  psmux::Pes p;
  p.streamId = streamId;
  p.pts = pts;
  p.payload = es;
  return pes(std::move(p));
}

Title& Title::privateStream1(const Bytes& header, std::optional<uint64_t> pts, const Bytes& data) {
  Bytes payload = header;
  append(payload, data);
  return video(stream_id::kPrivateStream1, pts, payload);
}

Title& Title::audio(uint8_t id, std::optional<uint64_t> pts, const Bytes& data) {
  return privateStream1(psmux::audioSubstreamHeader(id), pts, data);
}

Title& Title::subpicture(uint8_t id, std::optional<uint64_t> pts, const Bytes& data) {
  return privateStream1(psmux::subpictureSubstreamHeader(id), pts, data);
}

psmux::Pes Title::tagged(uint8_t streamId) const {
  psmux::Pes pes;
  pes.streamId = streamId;
  pes.pts = 3000 * packs_;
  pes.payload = Bytes(2100, uint8_t(packs_));
  return pes;
}

Title& Title::video(uint8_t streamId) {
  return pes(tagged(streamId));
}

Title& Title::mpegAudio(uint8_t streamId) {
  return pes(tagged(streamId));
}

Title& Title::vc1(uint8_t extension, bool withDts, bool pstd) {
  psmux::Pes p = tagged(stream_id::kExtendedStream);
  if (withDts) p.dts = 3000 * packs_ - 1500;
  p.streamIdExtension = extension;
  p.pstdBuffer = pstd;
  return pes(std::move(p));
}

Title& Title::audio(uint8_t substream) {
  psmux::Pes p = tagged(stream_id::kPrivateStream1);
  p.payload.insert(p.payload.begin(), 4, 0);
  std::ranges::copy(psmux::audioSubstreamHeader(substream), p.payload.begin());
  return pes(std::move(p));
}

Title& Title::subpicture(uint8_t substream) {
  psmux::Pes p = tagged(stream_id::kPrivateStream1);
  p.payload.insert(p.payload.begin(), substream);
  return pes(std::move(p));
}

Title& Title::filler(int count) {
  for (int i = 0; i < count; ++i)
    video(0xE0).audio(0x88).audio(0x89).audio(0x8A).subpicture(0x20).subpicture(0x21);
  return *this;
}

Bytes mpeg2Pictures(int pictures) {
  Bytes es{0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0, 0x24, 0xFF, 0xFF, 0xE0, 0x00};
  for (int i = 0; i < pictures; ++i)
    append(es, {0x00, 0x00, 0x01, 0x00, 0x00, 0x0F, 0xFF, 0xF8, 0x12, 0x34});
  return es;
}

Bytes smallTitle(uint8_t tag, int videoPacks, uint32_t firstPtm) {
  psmux::Navigation nav;
  nav.firstVideoPtm = firstPtm;
  nav.lastVideoPtm = firstPtm + 90000 * 2;  // two seconds a file
  nav.audioSync[0] = 1;
  nav.subpictureSync[2] = 1;
  Title title;
  title.nav(nav);
  for (int i = 0; i < videoPacks; ++i)
    title.video(0xE0, firstPtm + 3600u * uint32_t(i),
                {0x00, 0x00, 0x01, 0x00, tag, 0x00, 0x00, 0x01, 0x00, tag});
  title.audio(0x80, firstPtm, {0x0B, 0x77, tag})
      .subpicture(0x22, firstPtm + 9000, {0x00, 0x04, tag, tag});
  return title.bytes();
}

Bytes muxTitle(const std::vector<TitleStream>& streams, const std::optional<psmux::Navigation>& nav,
               const std::optional<psmux::CopyControl>& cc) {
  Bytes title;
  if (nav) title = psmux::navigationPack(0, *nav);
  if (cc) append(title, psmux::pack(1, {psmux::copyControlPacket(*cc)}));
  std::vector<size_t> at(streams.size(), 0);
  for (bool any = true; any;) {
    any = false;
    for (size_t s = 0; s < streams.size(); ++s) {
      const TitleStream& stream = streams[s];
      if (at[s] >= stream.bytes.size()) continue;
      psmux::Pes pes;
      pes.streamId = stream.streamId;
      pes.streamIdExtension = stream.streamIdExtension;
      if (at[s] == 0) pes.pts = stream.firstPts;
      pes.payload = stream.substreamHeader;
      pes.payload.insert(pes.payload.end(), stream.bytes.begin() + long(at[s]), stream.bytes.end());
      size_t taken = 0;
      append(title, psmux::packWithPes(0, pes, &taken));
      at[s] += taken - stream.substreamHeader.size();
      any = true;
    }
  }
  return title;
}

Bytes ffmpegEncode(const TempDir& dir, const std::string& name, const std::string& arguments) {
  std::string output;
  const std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y " + arguments +
                              " -strict -2 \"" + dir.file(name) + "\" 2>&1";
  if (runCommand(command, &output) != 0) {
    ADD_FAILURE() << command << "\n" << output;
    return {};
  }
  return readFileBytes(dir.file(name));
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

std::string token(const WalkedPack& pack) {
  switch (pack.streamId) {
    case 0:
      return "?";
    case stream_id::kSystemHeader:
      return "N";
    case stream_id::kPrivateStream1:
      return hex2(uint32_t(pack.substream));
    case stream_id::kExtendedStream:
      return "V" + hex2(uint32_t(pack.substream));
    case stream_id::kPrivateStream2:
      return pack.substream == private2::kAdvancedContent ? "ADV" : "BF";
    default:
      return hex2(pack.streamId);
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
  for (const WalkedPack& pack : walk(file)) text += (text.empty() ? "" : " ") + token(pack);
  return text;
}

std::vector<uint64_t> scrs(const Bytes& file) {
  std::vector<uint64_t> out;
  for (const WalkedPack& pack : walk(file)) out.push_back(pack.scr);
  return out;
}

}  // namespace vantrel::testing
