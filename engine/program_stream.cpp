#include "engine/program_stream.h"

#include <algorithm>

#include "engine/stream_table.h"

namespace vantrel {

namespace {

constexpr uint8_t kPtsDtsFlags = 0xC0;  // PTS_DTS_flags: '10' PTS, '11' PTS and DTS
constexpr uint8_t kPesExtensionFlag = 0x01;
constexpr uint8_t kPstdBufferFlag = 0x10;
constexpr uint8_t kPesExtensionFlag2 = 0x01;

size_t stampBytes(uint8_t flags2) {
  switch (flags2 & kPtsDtsFlags) {
    case 0x80:
      return 5;
    case 0xC0:
      return 10;
    default:
      return 0;  // '00' none, '01' forbidden
  }
}

bool extensionFollows(uint8_t flags2, size_t headerDataLength, size_t stamps, bool videoPacket) {
  if (stamps == 0) return (flags2 & (kPtsDtsFlags | kPesExtensionFlag)) == kPesExtensionFlag;
  return videoPacket && (flags2 & kPesExtensionFlag) && headerDataLength > stamps;
}

// The low 32 bits of a 33-bit PTS or DTS field:
// '00xx' TS[32..30] 1 | TS[29..22] | TS[21..15] 1 | TS[14..7] | TS[6..0] 1
uint32_t timeStamp(const uint8_t* b) {
  return uint32_t(b[0] & 0x06) << 29 | uint32_t(b[1]) << 22 | uint32_t(b[2] >> 1) << 15 |
         uint32_t(b[3]) << 7 | uint32_t(b[4] >> 1);
}

}  // namespace

std::optional<SystemHeaderCounts> parseSystemHeader(std::span<const uint8_t> pack) {
  constexpr size_t at = kPackHeaderSize;
  if (pack.size() <= at + kVideoBoundAt || pack[at + 2] != 0x01 ||
      pack[at + 3] != stream_id::kSystemHeader)
    return std::nullopt;
  SystemHeaderCounts counts;
  counts.video = pack[at + kVideoBoundAt] & 0x1F;
  counts.audio = pack[at + kAudioBoundAt] >> 2;
  return counts;
}

std::string describeSystemHeader(const SystemHeaderCounts& counts) {
  std::string line = "It contains";
  if (counts.video > 0) line += " [b]" + std::to_string(counts.video) + "[/b] video stream and";
  line +=
      " [b]" + std::to_string(counts.audio) + "[/b] audio stream" + (counts.audio > 1 ? "s." : ".");
  return line;
}

PesHeaderExtent pesHeaderExtent(std::span<const uint8_t> prefix, bool videoPacket) {
  if (prefix.size() < kPesFixedHeaderSize) return {};
  const uint8_t flags2 = prefix[1];
  const size_t dataLength = prefix[2];  // PES_header_data_length
  if (dataLength == 0) return {kPesFixedHeaderSize, kPesFixedHeaderSize};
  const size_t stamps = stampBytes(flags2);
  size_t fieldsEnd = kPesFixedHeaderSize + stamps;
  if (extensionFollows(flags2, dataLength, stamps, videoPacket)) {
    if (prefix.size() <= fieldsEnd)  // the extension flags byte is still to come
      return {0, std::max(kPesFixedHeaderSize + dataLength, fieldsEnd + 1)};
    const uint8_t extensionFlags = prefix[fieldsEnd];
    fieldsEnd += 1;
    if (extensionFlags & kPstdBufferFlag) fieldsEnd += 2;
    if (extensionFlags & kPesExtensionFlag2) fieldsEnd += 2;
  }
  return {fieldsEnd, std::max(kPesFixedHeaderSize + dataLength, fieldsEnd)};
}

PesHeader parsePesHeader(std::span<const uint8_t> header, bool videoPacket) {
  PesHeader pes;
  const PesHeaderExtent extent = pesHeaderExtent(header, videoPacket);
  if (extent.fieldsEnd == 0 || header.size() < extent.fieldsEnd) return pes;
  pes.fieldsEnd = extent.fieldsEnd;
  pes.size = extent.size;
  if (header[2] == 0) return pes;
  const size_t stamps = stampBytes(header[1]);
  const uint8_t* at = header.data() + kPesFixedHeaderSize;
  if (stamps >= 5) pes.pts = timeStamp(at);
  if (stamps == 10) pes.dts = timeStamp(at + 5);
  if (!extensionFollows(header[1], header[2], stamps, videoPacket)) return pes;
  const uint8_t extensionFlags = at[stamps];
  if (extensionFlags & kPesExtensionFlag2) {
    // PES_extension_field_length, then stream_id_extension_flag and the id.
    pes.streamIdExtension = header[extent.fieldsEnd - 1] & 0x7F;
  }
  return pes;
}

}  // namespace vantrel
