#include "engine/stream_ids.h"

#include "common/path_rules.h"

namespace vantrel {

FileKind fileKindOf(std::string_view path) {
  std::string ext = upperExtensionOf(path);
  if (ext == ".AOB") return FileKind::Aob;
  if (ext == ".VOB") return FileKind::Vob;
  return FileKind::Evo;
}

std::optional<VideoStream> classifyVideoStreamId(uint8_t id) {
  if (id == 0xE0 || id == 0xE1) return VideoStream{VideoCodec::Mpeg2, id & 1};
  if (id == 0xE2 || id == 0xE3) return VideoStream{VideoCodec::H264, id & 1};
  return std::nullopt;
}

std::optional<VideoStream> classifyVc1Extension(uint8_t extension) {
  if (extension == 0x55 || extension == 0x56)
    return VideoStream{VideoCodec::Vc1, extension - stream_id::kVc1ExtensionFirst};
  return std::nullopt;
}

std::optional<AudioSubstream> classifyAudioSubstream(uint8_t id) {
  if (id >= 0x80 && id <= 0x87) return AudioSubstream{AudioCodec::Ac3, id & 7};
  if (id >= 0x88 && id <= 0x8F) return AudioSubstream{AudioCodec::Dts, id & 7};
  if (id >= 0xC0 && id <= 0xCF) return AudioSubstream{AudioCodec::Eac3, id & 15};
  if (id >= 0xA0 && id <= 0xA7) return AudioSubstream{AudioCodec::Lpcm, id & 15};
  if (id >= 0xB0 && id <= 0xB7) return AudioSubstream{AudioCodec::TrueHd, id & 7};
  return std::nullopt;
}

bool isMlpSubstream(uint8_t id, FileKind kind) {
  return id == kDvdAudioMlpSubstream && kind == FileKind::Aob;
}

bool isSubpictureSubstream(uint8_t id) { return (id & 0xE0) == 0x20; }
bool isExtendedSubpictureSubstream(uint8_t id) { return (id & 0xE0) == 0x60; }

int extraHeaderBytes(AudioCodec codec) {
  switch (codec) {
    case AudioCodec::Lpcm:
      return 3;
    case AudioCodec::TrueHd:
      return 1;
    default:
      return 0;
  }
}

}  // namespace vantrel
