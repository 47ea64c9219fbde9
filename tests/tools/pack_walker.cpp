#include "tests/tools/pack_walker.h"

#include <cstdio>

namespace vantrel::testing {

namespace {

constexpr size_t kPack = 2048;

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

std::string at(size_t pack, size_t offset, const std::string& what) {
  char text[64];
  std::snprintf(text, sizeof text, "pack %zu offset %zu: ", pack, offset);
  return text + what;
}

// A 5-byte PTS/DTS field: 4-bit prefix, 33 bits with three marker bits.
std::optional<uint64_t> timestamp(const uint8_t* p, int prefix) {
  if ((p[0] >> 4) != prefix || !(p[0] & 1) || !(p[2] & 1) || !(p[4] & 1)) return std::nullopt;
  return (uint64_t(p[0] >> 1 & 7) << 30) | (uint64_t(p[1]) << 22) | (uint64_t(p[2] >> 1) << 15) |
         (uint64_t(p[3]) << 7) | uint64_t(p[4] >> 1);
}

}  // namespace

size_t substreamHeaderBytes(uint8_t sub) {
  if ((sub & 0xE0) == 0x20 || (sub & 0xE0) == 0x60) return 0;
  if (sub >= 0xA0 && sub <= 0xAF) return 6;
  if (sub >= 0xB0 && sub <= 0xBF) return 4;
  return 3;
}

std::vector<size_t> Walk::packetsOf(uint32_t key) const {
  std::vector<size_t> indices;
  for (size_t i = 0; i < packets.size(); ++i) {
    if (packets[i].key == key) indices.push_back(i);
  }
  return indices;
}

Walk walkProgramStream(const Bytes& file) {
  Walk walk;
  if (file.size() % kPack != 0) walk.faults.push_back("size is not a whole number of packs");
  for (size_t base = 0; base + kPack <= file.size(); base += kPack) {
    const size_t n = walk.packs++;
    const uint8_t* pack = file.data() + base;
    if (be32(pack) != 0x000001BA) {
      walk.faults.push_back(at(n, 0, "no pack start code"));
      walk.scr.push_back(0);
      continue;
    }
    // '01' SCR[32..30] 1 SCR[29..15] 1 SCR[14..0] 1 extension 1
    if ((pack[4] & 0xC4) != 0x44 || !(pack[6] & 4) || !(pack[8] & 4) || !(pack[9] & 1)) {
      walk.faults.push_back(at(n, 4, "bad SCR marker bits"));
    }
    uint64_t scr = (uint64_t(pack[4] >> 3 & 7) << 30) | (uint64_t(pack[4] & 3) << 28) |
                   (uint64_t(pack[5]) << 20) | (uint64_t(pack[6] >> 3) << 15) |
                   (uint64_t(pack[6] & 3) << 13) | (uint64_t(pack[7]) << 5) | uint64_t(pack[8] >> 3);
    walk.scr.push_back(scr);
    if (be32(pack + 10) != 0x049D43F8) walk.faults.push_back(at(n, 10, "not the HD DVD mux rate and stuffing"));

    std::optional<WalkedNavigation> nav;
    size_t pos = 14;
    while (pos < kPack) {
      if (pos + 6 > kPack || pack[pos] != 0 || pack[pos + 1] != 0 || pack[pos + 2] != 1) {
        walk.faults.push_back(at(n, pos, "no packet start code"));
        break;
      }
      const uint8_t id = pack[pos + 3];
      const size_t end = pos + 6 + be16(pack + pos + 4);
      if (end > kPack) {
        walk.faults.push_back(at(n, pos, "packet runs past the pack"));
        break;
      }
      const uint8_t* body = pack + pos + 6;
      if (id == 0xBB) {
        if (pos != 14) walk.faults.push_back(at(n, pos, "system header not first"));
        nav.emplace();
        nav->pack = n;
        nav->scr = scr;
        nav->audioBound = pack[pos + 9] >> 2;
        nav->videoBound = pack[pos + 10] & 0x1F;
      } else if (id == 0xBE) {
        for (const uint8_t* p = body; p < pack + end; ++p) {
          if (*p != 0xFF) {
            walk.faults.push_back(at(n, size_t(p - pack), "padding byte not FF"));
            break;
          }
        }
      } else if (id == 0xBF) {
        const uint8_t sub = end > pos + 6 ? body[0] : 0xFF;
        if (sub == 0x01) {
          if (!nav) {
            walk.faults.push_back(at(n, pos, "DSI outside a navigation pack"));
          } else {
            nav->dsiAt1287 = pos == 1287 && end == kPack && be16(pack + pos + 4) == 0x02F3;
            const uint8_t* dsi = body + 1;
            nav->vobNumber = be16(dsi + 24);
            nav->firstVideoPtm = be32(dsi + 44);
            nav->lastVideoPtm = be32(dsi + 48);
            for (size_t i = 0; i < 8; ++i) nav->audioSync[i] = be16(dsi + 530 + 2 * i);
            for (size_t i = 0; i < 32; ++i) nav->subpictureSync[i] = be32(dsi + 546 + 4 * i);
          }
        } else if (sub == 0x04) {
          walk.copyControl.emplace_back(body + 1, pack + end);
        } else if (sub == 0x80) {
          ++walk.advancedContentPacks;
        } else if (sub != 0x00) {
          walk.faults.push_back(at(n, pos, "unknown private stream 2 substream"));
        }
      } else if ((id >= 0xE0 && id <= 0xEF) || id == 0xBD || id == 0xFD) {
        if (end < pos + 9) {
          walk.faults.push_back(at(n, pos, "PES packet shorter than its header"));
          break;
        }
        if ((body[0] & 0xC0) != 0x80) walk.faults.push_back(at(n, pos, "not an MPEG-2 PES header"));
        if (body[0] & 0x30) walk.faults.push_back(at(n, pos, "scrambled"));
        const uint8_t flags = body[1];
        const uint8_t* field = body + 3;
        const uint8_t* data = body + 3 + body[2];
        if (data > pack + end) {
          walk.faults.push_back(at(n, pos, "PES header runs past the packet"));
          break;
        }
        WalkedPacket packet;
        packet.pack = n;
        if ((flags & 0xC0) == 0x80) {
          packet.pts = timestamp(field, 2);
          if (!packet.pts) walk.faults.push_back(at(n, pos, "bad PTS field"));
          field += 5;
        } else if ((flags & 0xC0) == 0xC0) {
          packet.pts = timestamp(field, 3);
          packet.dts = timestamp(field + 5, 1);
          if (!packet.pts || !packet.dts) walk.faults.push_back(at(n, pos, "bad PTS/DTS fields"));
          field += 10;
        } else if ((flags & 0xC0) == 0x40) {
          walk.faults.push_back(at(n, pos, "DTS without PTS"));
        }
        int extension = -1;
        if (flags & 0x01) {
          const uint8_t extFlags = *field++;
          if (extFlags & 0x10) field += 2;  // P-STD buffer
          if (extFlags & 0x01) {
            field += 1;  // marker and field length
            extension = *field++ & 0x7F;
          }
        }
        if (field > data) walk.faults.push_back(at(n, pos, "PES fields exceed the header length"));
        for (const uint8_t* p = field; p < data; ++p) {
          if (*p != 0xFF) {
            walk.faults.push_back(at(n, pos, "stuffing byte not FF"));
            break;
          }
        }
        if (id == 0xBD) {
          if (data >= pack + end) {
            walk.faults.push_back(at(n, pos, "private stream 1 packet without substream id"));
            break;
          }
          const uint8_t sub = *data++;
          packet.key = streamKey(id, sub);
          const size_t extra = substreamHeaderBytes(sub);
          if (data + extra > pack + end) {
            walk.faults.push_back(at(n, pos, "substream header runs past the packet"));
            break;
          }
          packet.substreamHeader.assign(data, data + extra);
          data += extra;
        } else if (id == 0xFD) {
          if (extension < 0) walk.faults.push_back(at(n, pos, "stream FD without extension"));
          packet.key = streamKey(id, extension);
        } else {
          packet.key = streamKey(id);
        }
        Bytes& payload = walk.payload[packet.key];
        packet.payloadOffset = payload.size();
        packet.payloadSize = size_t(pack + end - data);
        payload.insert(payload.end(), data, pack + end);
        walk.packets.push_back(std::move(packet));
      } else {
        walk.faults.push_back(at(n, pos, "unexpected stream id"));
      }
      pos = end;
    }
    if (nav) {
      if (!nav->dsiAt1287) walk.faults.push_back(at(n, 1287, "navigation pack without its DSI at 1287"));
      walk.navigation.push_back(*nav);
    }
  }
  return walk;
}

}  // namespace vantrel::testing
