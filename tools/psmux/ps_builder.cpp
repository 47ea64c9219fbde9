#include "tools/psmux/ps_builder.h"

#include <algorithm>
#include <stdexcept>

namespace vantrel::psmux {

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void put16(Bytes& out, uint32_t value) {
  out.push_back(uint8_t(value >> 8));
  out.push_back(uint8_t(value));
}

void put32(Bytes& out, uint32_t value) {
  put16(out, value >> 16);
  put16(out, value & 0xFFFF);
}

void set16(Bytes& out, size_t offset, uint32_t value) {
  out.at(offset) = uint8_t(value >> 8);
  out.at(offset + 1) = uint8_t(value);
}

void set32(Bytes& out, size_t offset, uint32_t value) {
  set16(out, offset, value >> 16);
  set16(out, offset + 2, value & 0xFFFF);
}

namespace {
void startCode(Bytes& out, uint8_t id) {
  out.push_back(0);
  out.push_back(0);
  out.push_back(1);
  out.push_back(id);
}

bool hasOptionalHeader(uint8_t streamId) {
  return streamId != 0xBC && streamId != 0xBE && streamId != 0xBF;
}
}  // namespace

Bytes packHeader(uint64_t scr, Layout layout) {
  Bytes out;
  startCode(out, 0xBA);
  uint64_t base = scr & 0x1FFFFFFFFull;
  // '01' SCR[32..30] 1 SCR[29..15] 1 SCR[14..0] 1 ext(9) 1
  uint64_t bits = 0;
  bits = (bits << 2) | 1;
  bits = (bits << 3) | ((base >> 30) & 7);
  bits = (bits << 1) | 1;
  bits = (bits << 15) | ((base >> 15) & 0x7FFF);
  bits = (bits << 1) | 1;
  bits = (bits << 15) | (base & 0x7FFF);
  bits = (bits << 1) | 1;
  bits = (bits << 9) | 0;
  bits = (bits << 1) | 1;
  for (int shift = 40; shift >= 0; shift -= 8) out.push_back(uint8_t(bits >> shift));
  if (layout == Layout::HdDvd) {
    append(out, {0x04, 0x9D, 0x43, 0xF8});
  } else {
    append(out, {0x01, 0x89, 0xC3, 0xF8});
  }
  return out;
}

Bytes systemHeader(int audioBound, int videoBound, const std::vector<uint8_t>& streamIds) {
  Bytes out;
  startCode(out, 0xBB);
  put16(out, uint32_t(6 + 3 * streamIds.size()));
  append(out, {0x80, 0xC4, 0xE1});                            // marker, rate_bound, marker
  out.push_back(uint8_t(((audioBound & 0x3F) << 2) | 0x00));  // fixed_flag 0, CSPS 0
  out.push_back(uint8_t(0xE0 | (videoBound & 0x1F)));         // locks, marker, video_bound
  out.push_back(0x7F);
  for (uint8_t id : streamIds) {
    out.push_back(id);
    append(out, {0xE0, 0xE8});
  }
  return out;
}

Bytes timestampField(int prefix, uint64_t stamp) {
  stamp &= 0x1FFFFFFFFull;
  Bytes out;
  out.push_back(uint8_t((prefix << 4) | (((stamp >> 30) & 7) << 1) | 1));
  out.push_back(uint8_t(stamp >> 22));
  out.push_back(uint8_t((((stamp >> 15) & 0x7F) << 1) | 1));
  out.push_back(uint8_t(stamp >> 7));
  out.push_back(uint8_t(((stamp & 0x7F) << 1) | 1));
  return out;
}

namespace {
Bytes optionalHeaderData(const Pes& pes) {
  Bytes data;
  if (pes.pts) {
    append(data, timestampField(pes.dts ? 3 : 2, *pes.pts));
    if (pes.dts) append(data, timestampField(1, *pes.dts));
  }
  if (pes.streamIdExtension || pes.pstdBuffer) {
    uint8_t flags = 0x0E;  // reserved bits
    if (pes.pstdBuffer) flags |= 0x10;
    if (pes.streamIdExtension) flags |= 0x01;
    data.push_back(flags);
    if (pes.pstdBuffer) append(data, {0x60, 0x3A});
    if (pes.streamIdExtension) {
      data.push_back(0x81);  // marker, PES_extension_field_length 1
      data.push_back(uint8_t(*pes.streamIdExtension & 0x7F));
    }
  }
  data.insert(data.end(), size_t(pes.stuffing), 0xFF);
  return data;
}
}  // namespace

size_t pesHeaderSize(const Pes& pes) {
  if (!hasOptionalHeader(pes.streamId)) return 6;
  return 9 + optionalHeaderData(pes).size();
}

Bytes pesPacket(const Pes& pes) {
  Bytes out;
  startCode(out, pes.streamId);
  if (!hasOptionalHeader(pes.streamId)) {
    put16(out, pes.lengthOverride ? *pes.lengthOverride : uint32_t(pes.payload.size()));
    append(out, pes.payload);
    return out;
  }
  Bytes data = optionalHeaderData(pes);
  size_t length = 3 + data.size() + pes.payload.size();
  if (length > 0xFFFF) throw std::length_error("PES packet too long");
  put16(out, pes.lengthOverride ? *pes.lengthOverride : uint32_t(length));
  out.push_back(0x81);  // '10', not scrambled, original
  uint8_t flags2 = 0;
  if (pes.pts) flags2 |= pes.dts ? 0xC0 : 0x80;
  if (pes.streamIdExtension || pes.pstdBuffer) flags2 |= 0x01;
  out.push_back(flags2);
  out.push_back(uint8_t(data.size()));
  append(out, data);
  append(out, pes.payload);
  return out;
}

Bytes audioSubstreamHeader(uint8_t id, uint8_t frames, uint16_t firstAccessUnit) {
  Bytes out{id, frames};
  put16(out, firstAccessUnit);
  return out;
}

Bytes lpcmSubstreamHeader(uint8_t id, uint8_t emphasisMuteFrame, uint8_t format,
                          uint8_t dynamicRange, uint8_t frames, uint16_t firstAccessUnit) {
  Bytes out = audioSubstreamHeader(id, frames, firstAccessUnit);
  append(out, {emphasisMuteFrame, format, dynamicRange});
  return out;
}

Bytes trueHdSubstreamHeader(uint8_t id, uint8_t frames, uint16_t firstAccessUnit) {
  Bytes out = audioSubstreamHeader(id, frames, firstAccessUnit);
  out.push_back(0x00);
  return out;
}

Bytes subpictureSubstreamHeader(uint8_t id) { return Bytes{id}; }

Bytes paddingPacket(size_t size) {
  if (size < 6) throw std::length_error("padding packet needs 6 bytes");
  Bytes out;
  startCode(out, 0xBE);
  put16(out, uint32_t(size - 6));
  out.insert(out.end(), size - 6, 0xFF);
  return out;
}

Bytes pack(uint64_t scr, const std::vector<Bytes>& packets, Layout layout) {
  Bytes out = packHeader(scr, layout);
  for (const Bytes& p : packets) append(out, p);
  if (out.size() > kPackSize) throw std::length_error("pack content exceeds 2048 bytes");
  size_t left = kPackSize - out.size();
  if (left > 0) append(out, paddingPacket(left));  // throws when 1 to 5 bytes remain
  return out;
}

size_t maxPayloadInPack(const Pes& pes) {
  Pes bare = pes;
  bare.payload.clear();
  bare.stuffing = 0;
  return kPackSize - 14 - pesHeaderSize(bare);
}

Bytes packWithPes(uint64_t scr, Pes pes, size_t* payloadTaken, Layout layout) {
  size_t room = maxPayloadInPack(pes);
  if (pes.payload.size() > room) pes.payload.resize(room);
  if (payloadTaken) *payloadTaken = pes.payload.size();
  pes.stuffing = 0;
  size_t used = 14 + pesHeaderSize(pes) + pes.payload.size();
  size_t left = kPackSize - used;
  if (left > 0 && left < 6 && hasOptionalHeader(pes.streamId)) {
    pes.stuffing = int(left);
    left = 0;
  }
  Bytes out = packHeader(scr, layout);
  append(out, pesPacket(pes));
  if (left > 0) append(out, paddingPacket(left));
  return out;
}

size_t dsiDataOffset(Layout layout) { return (layout == Layout::HdDvd ? 1287u : 1024u) + 7; }

Bytes navigationPack(uint64_t scr, const Navigation& nav, Layout layout) {
  Bytes out = packHeader(scr, layout);
  append(out, systemHeader(nav.audioBound, nav.videoBound, {0xB9, 0xB8, 0xBD, 0xBF}));
  const size_t dsiStart = layout == Layout::HdDvd ? 1287 : 1024;
  // PCI: private stream 2, substream 0, filling up to the DSI.
  size_t pciSize = dsiStart - out.size();
  Bytes pci;
  startCode(pci, 0xBF);
  put16(pci, uint32_t(pciSize - 6));
  pci.push_back(0x00);
  pci.resize(pciSize, 0x00);
  append(out, pci);
  // DSI: private stream 2, substream 1, to the end of the pack.
  Bytes dsi;
  startCode(dsi, 0xBF);
  put16(dsi, uint32_t(kPackSize - dsiStart - 6));
  dsi.push_back(0x01);
  dsi.resize(kPackSize - dsiStart, 0x00);
  const size_t base = 7;
  set16(dsi, base + 24, nav.vobNumber);
  set32(dsi, base + 44, nav.firstVideoPtm);
  set32(dsi, base + 48, nav.lastVideoPtm);
  size_t audioAt = base + (layout == Layout::HdDvd ? 530 : 402);
  size_t subAt = base + (layout == Layout::HdDvd ? 546 : 418);
  for (int i = 0; i < 8; ++i) set16(dsi, audioAt + 2 * size_t(i), nav.audioSync[size_t(i)]);
  for (int i = 0; i < 32; ++i) set32(dsi, subAt + 4 * size_t(i), nav.subpictureSync[size_t(i)]);
  append(out, dsi);
  return out;
}

Bytes copyControlPacket(const CopyControl& cc) {
  Bytes body(64, 0x00);
  body[12] = cc.byte12;
  body[24] = cc.byte24;
  body[26] = cc.byte26;
  Bytes out;
  startCode(out, 0xBF);
  put16(out, uint32_t(1 + body.size()));
  out.push_back(0x04);
  append(out, body);
  return out;
}

Bytes advancedContentPack(uint64_t scr) {
  Bytes body(kPackSize - 14 - 6, 0x00);
  body[0] = 0x80;
  Bytes packet;
  startCode(packet, 0xBF);
  put16(packet, uint32_t(body.size()));
  append(packet, body);
  return pack(scr, {packet});
}

}  // namespace vantrel::psmux

namespace vantrel::psmux {

namespace {
void store16(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 8);
  at[1] = uint8_t(value);
}

void store32(uint8_t* at, uint32_t value) {
  store16(at, value >> 16);
  store16(at + 2, value & 0xFFFF);
}

Bytes privateStream2(uint8_t substream, size_t length) {
  Bytes out;
  startCode(out, 0xBF);
  put16(out, uint32_t(length));
  out.push_back(substream);
  out.resize(6 + length, 0x00);
  return out;
}
}  // namespace

Bytes discNavigationPack(uint64_t scr, const Navigation& nav) {
  Bytes out = packHeader(scr);
  append(out, systemHeader(nav.audioBound, nav.videoBound, {0xB9, 0xB8, 0xBD, 0xBF, 0xFD}));
  append(out, privateStream2(0x04, 257));
  append(out, privateStream2(0x00, 977));
  append(out, privateStream2(0x01, 755));
  if (out.size() != kPackSize) throw std::logic_error("navigation pack of the wrong size");
  out[nv::kGciData + nv::kGciCategory] = 0x40;
  uint8_t* dsi = out.data() + nv::kDsiData;
  store32(dsi + nv::kDsiScr, uint32_t(scr));
  store16(dsi + nv::kDsiVobId, nav.vobNumber);
  dsi[nv::kDsiCellId] = 1;
  store32(dsi + nv::kDsiVobStartPtm, nav.firstVideoPtm);
  store32(dsi + nv::kDsiVobEndPtm, nav.lastVideoPtm);
  for (size_t i = 0; i < 8; ++i) store16(dsi + nv::kDsiAudioSync + 2 * i, nav.audioSync[i]);
  for (size_t i = 0; i < 32; ++i) store32(dsi + nv::kDsiSubpictureSync + 4 * i, nav.subpictureSync[i]);
  return out;
}

void setPackNumber(uint8_t* navPack, uint32_t lbn) {
  store32(navPack + nv::kPciData + nv::kPciLbn, lbn);
  store32(navPack + nv::kDsiData + nv::kDsiLbn, lbn);
}

void setUnitAddresses(uint8_t* navPack, const UnitAddresses& unit) {
  setPackNumber(navPack, unit.lbn);
  uint8_t* gci = navPack + nv::kGciData;
  gci[nv::kGciStartPtm] = 0;
  store32(gci + nv::kGciStartPtm + 1, unit.startPtm);
  store32(navPack + nv::kPciData + nv::kPciStartPtm, unit.startPtm);
  store32(navPack + nv::kPciData + nv::kPciEndPtm, unit.endPtm);
  uint8_t* dsi = navPack + nv::kDsiData;
  store32(dsi + nv::kDsiLastPack, unit.lastPack);
  for (size_t i = 0; i < 3; ++i) store32(dsi + nv::kDsiReferenceEnds + 4 * i, unit.referenceEnds[i]);
}

void setInterleaving(uint8_t* navPack, const Interleaving& ilvu) {
  uint8_t* dsi = navPack + nv::kDsiData;
  store16(dsi + nv::kDsiCategory, ilvu.category);
  store32(dsi + nv::kDsiIlvuEnd, ilvu.ilvuEnd);
  store32(dsi + nv::kDsiNextIlvuStart, ilvu.nextIlvuStart);
  store16(dsi + nv::kDsiNextIlvuSize, ilvu.nextIlvuSize);
}

std::vector<Bytes> advancedStreamPackets(uint8_t slot, const std::string& fileName, const Bytes& data) {
  constexpr size_t kPayload = kPackSize - 14 - 6;  // 2028: a full pack
  constexpr size_t kNameField = 31;
  constexpr size_t kFirstHeader = 3 + kNameField, kOtherHeader = 4;
  if (fileName.size() >= kNameField) throw std::invalid_argument("advanced stream file name too long");
  if (data.size() <= kPayload - kFirstHeader) throw std::invalid_argument("advanced stream data fits one pack");
  std::vector<Bytes> packets;
  size_t at = 0;
  while (at < data.size()) {
    const bool first = at == 0;
    const size_t header = first ? kFirstHeader : kOtherHeader;
    size_t chunk = std::min(kPayload - header, data.size() - at);
    // A pack must not end with 1 to 5 free bytes (too few for padding): leave
    // some data for one more packet instead.
    const size_t free = kPayload - header - chunk;
    if (free > 0 && free < 6) chunk -= 6;
    const bool last = at + chunk == data.size();
    Bytes packet;
    startCode(packet, 0xBF);
    put16(packet, uint32_t(header + chunk));
    packet.push_back(0x80);
    packet.push_back(first ? 0x10 : last ? 0x20 : 0x00);
    packet.push_back(slot);
    if (first) {
      packet.insert(packet.end(), fileName.begin(), fileName.end());
      packet.resize(6 + kFirstHeader, 0x00);
    } else {
      packet.push_back(0x00);
    }
    packet.insert(packet.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + chunk));
    packets.push_back(std::move(packet));
    at += chunk;
  }
  return packets;
}

}  // namespace vantrel::psmux
