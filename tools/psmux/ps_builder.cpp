#include "tools/psmux/ps_builder.h"

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
