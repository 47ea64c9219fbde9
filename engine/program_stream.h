#pragma once

// The layout of the MPEG-2 program stream (ISO/IEC 13818-1, 2.5.3): pack
// header, system header and PES packet header, read the same way by the
// engine's parser, the rebuild's pack rewriter and the navigation reader.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vantrel {

inline constexpr size_t kPackSize = 2'048;
// A pack header without stuffing: the first packet of a pack follows it.
inline constexpr size_t kPackHeaderSize = 14;
// 00 00 01, stream_id, PES_packet_length.
inline constexpr size_t kPesPrefixSize = 6;
// The two PES flag bytes and PES_header_data_length.
inline constexpr size_t kPesFixedHeaderSize = 3;

// Stream counts of the system header that follows the first pack header of a
// file (audio_bound, video_bound).
struct SystemHeaderCounts {
  int video = 0;
  int audio = 0;
};

// The system header's bound bytes, counted from its start code.
inline constexpr size_t kAudioBoundAt = 9;   // audio_bound in bits 7-2
inline constexpr size_t kVideoBoundAt = 10;  // video_bound in bits 4-0

// Reads the counts when `pack` holds a system header start code directly
// after a 14-byte pack header (bytes 16-17 read 01 BB).
std::optional<SystemHeaderCounts> parseSystemHeader(std::span<const uint8_t> pack);

// The "It contains ..." line of a DVD-Audio object.
std::string describeSystemHeader(const SystemHeaderCounts& counts);

// The fields of a PES header that the program reads. Of the optional fields
// it follows the time stamps and the PES extension, which it takes to come
// right after the time stamps (HD DVD and DVD headers carry no ESCR, ES
// rate, trick mode, copy information or CRC); within the extension it
// follows the P-STD buffer field and the stream_id_extension.
struct PesHeader {
  std::optional<uint32_t> pts;  // low 32 bits of the 33-bit stamps
  std::optional<uint32_t> dts;
  std::optional<uint8_t> streamIdExtension;
  size_t fieldsEnd = kPesFixedHeaderSize;  // bytes up to the end of the fields read
  size_t size = kPesFixedHeaderSize;       // bytes of the whole header
};

// How many bytes of a PES header, counted from its first flag byte, are
// needed, as far as `prefix` (its first bytes) tells: the header ends after
// PES_header_data_length bytes of fields, or after the fields read when they
// claim more. `fieldsEnd` is 0 while the prefix does not yet tell where the
// fields end. In video packets the extension is followed after the time
// stamps too; elsewhere only when no stamps precede it.
struct PesHeaderExtent {
  size_t fieldsEnd = 0;
  size_t size = kPesFixedHeaderSize;
};
PesHeaderExtent pesHeaderExtent(std::span<const uint8_t> prefix, bool videoPacket);

// Parses a PES header from its first flag byte; `header` holds at least
// pesHeaderExtent(header, videoPacket).fieldsEnd bytes. Pure: no state.
PesHeader parsePesHeader(std::span<const uint8_t> header, bool videoPacket);

// The largest header: three fixed bytes and 255 header data bytes.
inline constexpr size_t kMaxPesHeaderSize = kPesFixedHeaderSize + 255;

}  // namespace vantrel
