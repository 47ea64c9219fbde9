#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

// Stream identifiers, substream ranges and slot rules of the program stream,
// in one table. A slot is a stream's number within its kind: 0-1 for video,
// 0-15 for audio, 0-31 for subpictures.

inline constexpr int kVideoSlots = 2;
inline constexpr int kVideoBoxes = 8;  // the window shows eight video boxes; two are used
inline constexpr int kAudioSlots = 16;
inline constexpr int kSubpictureSlots = 32;

namespace stream_id {
inline constexpr uint8_t kPackHeader = 0xBA;
inline constexpr uint8_t kSystemHeader = 0xBB;
inline constexpr uint8_t kProgramStreamMap = 0xBC;
inline constexpr uint8_t kPrivateStream1 = 0xBD;
inline constexpr uint8_t kPadding = 0xBE;
inline constexpr uint8_t kPrivateStream2 = 0xBF;
inline constexpr uint8_t kMpegAudioFirst = 0xC0;
inline constexpr uint8_t kMpegAudioLast = 0xCF;
inline constexpr uint8_t kMpeg2VideoFirst = 0xE0;  // E0, E1
inline constexpr uint8_t kH264VideoFirst = 0xE2;   // E2, E3
inline constexpr uint8_t kExtendedStream = 0xFD;   // VC-1, identified by its extension
inline constexpr uint8_t kVc1ExtensionFirst = 0x55;  // 55, 56
}  // namespace stream_id

namespace private2 {
inline constexpr uint8_t kNavigation = 0x01;    // DSI of a navigation pack
inline constexpr uint8_t kCopyControl = 0x04;
inline constexpr uint8_t kAdvancedContent = 0x80;
}  // namespace private2

enum class VideoCodec : uint8_t { Mpeg2, H264, Vc1 };
enum class AudioCodec : uint8_t { Ac3, Eac3, Dts, Lpcm, TrueHd };

// The kind of source file, from its extension (compared in upper case).
enum class FileKind : uint8_t { Evo, Vob, Aob };
FileKind fileKindOf(std::string_view path);

struct VideoStream {
  VideoCodec codec;
  int slot;
};

// PES stream ids E0-E3. Slot = low bit of the id.
std::optional<VideoStream> classifyVideoStreamId(uint8_t id);
// Stream id extensions 55 and 56 of stream id FD. Slot = extension - 55.
std::optional<VideoStream> classifyVc1Extension(uint8_t extension);

struct AudioSubstream {
  AudioCodec codec;
  int slot;
};

// Private-stream-1 audio substreams: 80-87 AC-3 and 88-8F DTS (slot = id & 7),
// A0-A7 LPCM (slot = id & 15), B0-B7 TrueHD (slot = id & 7), C0-CF E-AC-3
// (slot = id & 15).
std::optional<AudioSubstream> classifyAudioSubstream(uint8_t id);

// Substream 0xA1 of a DVD-Audio object carries MLP rather than LPCM.
inline constexpr uint8_t kDvdAudioMlpSubstream = 0xA1;
bool isMlpSubstream(uint8_t id, FileKind kind);

// Subpictures 20-3F and extended subpictures 60-7F; slot = id & 31.
bool isSubpictureSubstream(uint8_t id);
bool isExtendedSubpictureSubstream(uint8_t id);
inline int subpictureSlotOf(uint8_t id) { return id & 0x1F; }

// Bytes stripped after the substream id before the payload: 3 for LPCM
// (and MLP in ".AOB" files), 1 for TrueHD, none otherwise.
int extraHeaderBytes(AudioCodec codec);

}  // namespace vantrel
