#include "tools/psmux/unit_reader.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "tools/psmux/picture_type.h"

namespace vantrel::psmux {

namespace {

constexpr size_t kPackHeaderSize = 14;

struct StreamType {
  EsCodec codec;
  size_t headerAfterId;  // substream header bytes after the id (frames, pointer, extras)
};

std::optional<StreamType> substreamType(uint8_t sub) {
  if (sub >= 0x80 && sub <= 0x87) return StreamType{EsCodec::Ac3, 3};
  if (sub >= 0x88 && sub <= 0x8F) return StreamType{EsCodec::Dts, 3};
  if (sub >= 0xA0 && sub <= 0xA7) return StreamType{EsCodec::Lpcm, 6};
  if (sub >= 0xB0 && sub <= 0xB7) return StreamType{EsCodec::TrueHd, 4};
  if (sub >= 0xC0 && sub <= 0xCF) return StreamType{EsCodec::Eac3, 3};
  if ((sub & 0xE0) == 0x20 || (sub & 0xE0) == 0x60) return StreamType{EsCodec::Subpicture, 0};
  return std::nullopt;
}

uint64_t timestamp(const uint8_t* p) {
  return (uint64_t(p[0] >> 1 & 7) << 30) | (uint64_t(p[1]) << 22) | (uint64_t(p[2] >> 1) << 15) |
         (uint64_t(p[3]) << 7) | uint64_t(p[4] >> 1);
}

[[noreturn]] void fail(size_t pack, const char* what) {
  throw std::runtime_error("pack " + std::to_string(pack) + ": " + what);
}

class Reader {
 public:
  explicit Reader(std::vector<ReadStream>& streams) : streams_(streams) {
    for (const ReadStream& stream : streams_) {
      if (isVideoCodec(stream.codec)) {
        primary_ = std::make_pair(stream.codec, stream.id);
        break;
      }
    }
  }

  void read(const Bytes& file) {
    if (file.size() % kPackSize != 0) throw std::runtime_error("not a whole number of packs");
    for (size_t base = 0; base < file.size(); base += kPackSize) readPack(file.data() + base, base / kPackSize);
  }

  void finish() {
    for (ReadStream& stream : streams_) {
      setDurations(stream);
      if (!isVideoCodec(stream.codec)) continue;
      for (AccessUnit& unit : stream.units) {
        unit.reference = isReferencePicture(stream.codec, unit.data.data(), unit.data.size());
      }
    }
  }

 private:
  void readPack(const uint8_t* pack, size_t n) {
    if (pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xBA) fail(n, "no pack start code");
    size_t pos = kPackHeaderSize + (pack[13] & 7);
    while (pos + 6 <= kPackSize) {
      if (pack[pos] != 0 || pack[pos + 1] != 0 || pack[pos + 2] != 1) fail(n, "no packet start code");
      const uint8_t id = pack[pos + 3];
      const size_t end = pos + 6 + size_t(pack[pos + 4] << 8 | pack[pos + 5]);
      if (end > kPackSize) fail(n, "packet runs past the pack");
      if (id == 0xBB) {
        afterNavigation_ = true;
      } else if ((id >= 0xE0 && id <= 0xE3) || id == 0xFD || id == 0xBD) {
        readPes(pack, pos, end, n);
      }
      pos = end;
    }
  }

  void readPes(const uint8_t* pack, size_t pos, size_t end, size_t n) {
    if (end < pos + 9) fail(n, "PES packet shorter than its header");
    const uint8_t flags = pack[pos + 7];
    const size_t data = pos + 9 + pack[pos + 8];
    if (data > end) fail(n, "PES header runs past the packet");
    size_t field = pos + 9;
    std::optional<uint64_t> pts, dts;
    if (flags & 0x80) {
      if (field + 5 > data) fail(n, "PTS outside the header");
      pts = timestamp(pack + field);
      field += 5;
      if (flags & 0x40) {
        if (field + 5 > data) fail(n, "DTS outside the header");
        dts = timestamp(pack + field);
        field += 5;
      }
    }
    const uint8_t id = pack[pos + 3];
    StreamType type{};
    uint8_t streamNumber = id;
    size_t at = data;
    if (id == 0xFD) {
      // The stream id extension follows the time stamps: flags, [P-STD], length, extension.
      if (!(flags & 0x01) || field >= data) return;
      const uint8_t extFlags = pack[field++];
      if (extFlags & 0x10) field += 2;
      if (!(extFlags & 0x01) || field + 2 > data) return;
      streamNumber = pack[field + 1] & 0x7F;
      if (streamNumber != 0x55 && streamNumber != 0x56) return;
      type = {EsCodec::Vc1Video, 0};
    } else if (id == 0xBD) {
      if (at >= end) fail(n, "private stream 1 packet without substream id");
      streamNumber = pack[at++];
      auto known = substreamType(streamNumber);
      if (!known) return;
      type = *known;
      if (at + type.headerAfterId > end) fail(n, "substream header runs past the packet");
    } else {
      type = {id <= 0xE1 ? EsCodec::Mpeg2Video : EsCodec::H264Video, 0};
    }
    const uint8_t* header = pack + at;
    at += type.headerAfterId;

    ReadStream& stream = streamFor(type.codec, streamNumber, header);
    const uint8_t* payload = pack + at;
    size_t size = end - at;
    if (!pts) {
      appendToLast(stream, payload, size);
      return;
    }
    size_t start = 0;
    if (type.headerAfterId >= 3) {
      // The first access unit pointer counts from the byte after itself.
      const size_t pointer = size_t(header[1] << 8 | header[2]);
      const size_t extras = type.headerAfterId - 3;
      if (pointer < 1 + extras || pointer - 1 - extras >= size) fail(n, "time stamp without an access unit");
      start = pointer - 1 - extras;
    }
    appendToLast(stream, payload, start);
    AccessUnit unit;
    unit.data.assign(payload + start, payload + size);
    unit.pts = *pts;
    if (dts && *dts != *pts) unit.dts = dts;
    unit.randomAccess = !isVideoCodec(type.codec) ||
                        (afterNavigation_ && primary_ == std::make_pair(type.codec, streamNumber));
    if (isVideoCodec(type.codec) && primary_ == std::make_pair(type.codec, streamNumber)) afterNavigation_ = false;
    stream.units.push_back(std::move(unit));
  }

  ReadStream& streamFor(EsCodec codec, uint8_t id, const uint8_t* header) {
    for (ReadStream& stream : streams_) {
      if (stream.codec == codec && stream.id == id) return stream;
    }
    ReadStream stream;
    stream.codec = codec;
    stream.id = id;
    if (codec == EsCodec::Lpcm) {
      stream.lpcmFormat = header[4];
      stream.lpcmDynamicRange = header[5];
    }
    if (isVideoCodec(codec) && !primary_) primary_ = std::make_pair(codec, id);
    streams_.push_back(std::move(stream));
    return streams_.back();
  }

  static void appendToLast(ReadStream& stream, const uint8_t* bytes, size_t size) {
    if (stream.units.empty() || size == 0) return;  // before the stream's first time stamp
    Bytes& data = stream.units.back().data;
    data.insert(data.end(), bytes, bytes + size);
  }

  static void setDurations(ReadStream& stream) {
    std::vector<AccessUnit>& units = stream.units;
    if (units.empty()) return;
    if (isVideoCodec(stream.codec)) {
      std::vector<uint64_t> times;
      for (const AccessUnit& unit : units) times.push_back(unit.pts);
      std::sort(times.begin(), times.end());
      uint64_t period = 0;
      for (size_t i = 1; i < times.size(); ++i) {
        uint64_t step = times[i] - times[i - 1];
        if (step > 0 && (period == 0 || step < period)) period = step;
      }
      for (AccessUnit& unit : units) unit.duration = uint32_t(period);
      return;
    }
    for (size_t i = 0; i + 1 < units.size(); ++i) {
      units[i].duration = units[i + 1].pts > units[i].pts ? uint32_t(units[i + 1].pts - units[i].pts) : 0;
    }
    units.back().duration = units.size() > 1 ? units[units.size() - 2].duration : 0;
  }

  std::vector<ReadStream>& streams_;
  std::optional<std::pair<EsCodec, uint8_t>> primary_;
  bool afterNavigation_ = false;
};

}  // namespace

std::vector<ReadStream> readProgramStreamUnits(const Bytes& file) {
  std::vector<ReadStream> streams;
  appendProgramStreamUnits(streams, file);
  return streams;
}

void appendProgramStreamUnits(std::vector<ReadStream>& streams, const Bytes& file) {
  Reader reader(streams);
  reader.read(file);
  reader.finish();
}

}  // namespace vantrel::psmux
