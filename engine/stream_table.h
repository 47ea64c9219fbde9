#pragma once

// Every stream the program knows, in one table: which identifiers belong to
// it, its kind and codec, how its slot and its rebuilt number follow from
// the identifier, and the names the log, the stream boxes and the JSON
// report give it. Classification, captions, renumbering, the rebuild's drop
// rule and the report all read this table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace vantrel {

// A stream's kind, and its number within the kind (its slot): 0-1 for
// video, 0-15 for audio, 0-31 for subpictures.
enum class StreamKind : uint8_t { Video, Audio, Subpicture };
inline constexpr std::array<StreamKind, 3> kStreamKinds = {StreamKind::Video, StreamKind::Audio,
                                                           StreamKind::Subpicture};

inline constexpr int kVideoSlots = 2;
inline constexpr int kAudioSlots = 16;
inline constexpr int kSubpictureSlots = 32;
inline constexpr int kVideoBoxes = 8;  // the window shows eight video boxes; two are used

// One value per slot of every kind, for the data the program keeps per
// stream (catalogue entries, ticks, outputs). `Video` is the number of video
// entries: the stream boxes keep all eight of the window.
template <typename T, size_t Video = kVideoSlots>
struct PerKind {
  std::array<T, Video> video{};
  std::array<T, kAudioSlots> audio{};
  std::array<T, kSubpictureSlots> subpicture{};

  // The entries of the kind's catalogue slots.
  std::span<T> operator[](StreamKind kind) { return slotsOf(*this, kind); }
  std::span<const T> operator[](StreamKind kind) const { return slotsOf(*this, kind); }
  bool operator==(const PerKind&) const = default;

 private:
  template <typename Self>
  static auto slotsOf(Self& self, StreamKind kind) {
    using Span = std::span<std::remove_reference_t<decltype(self.audio[0])>>;
    switch (kind) {
      case StreamKind::Video:
        return Span(self.video).first(kVideoSlots);
      case StreamKind::Audio:
        return Span(self.audio);
      case StreamKind::Subpicture:
        break;
    }
    return Span(self.subpicture);
  }
};

enum class StreamCodec : uint8_t {
  Mpeg2,
  H264,
  Vc1,
  Ac3,
  Eac3,
  Dts,
  Lpcm,
  Mlp,  // LPCM substream A1 of a DVD-Audio object
  TrueHd,
  Subpicture,
  ExtendedSubpicture,
};

// Where an identifier is written.
enum class IdSpace : uint8_t {
  StreamId,      // the PES stream id
  Vc1Extension,  // the stream_id_extension of an extended stream (FD)
  Substream,     // the first payload byte of private stream 1 (BD)
};
inline constexpr size_t kIdSpaces = 3;

// One range of identifiers. The slot is the identifier less `first`; a
// rebuilt title numbers the kept streams of a kind from 0 up, each as
// `first` + its number, which must stay within the range.
struct StreamRange {
  IdSpace space;
  uint8_t first;
  uint8_t last;
  StreamKind kind;
  StreamCodec codec;
  std::string_view caption;  // the stream box's caption before the slot: "DD.stream"

  int slotOf(uint8_t id) const { return id - first; }
  bool holds(int32_t id) const { return id >= first && id <= last; }
};

inline constexpr std::array<StreamRange, 10> kStreamRanges = {{
    {IdSpace::StreamId, 0xE0, 0xE1, StreamKind::Video, StreamCodec::Mpeg2, "MPEG-2.stream"},
    {IdSpace::StreamId, 0xE2, 0xE3, StreamKind::Video, StreamCodec::H264, "H.264.stream"},
    {IdSpace::Vc1Extension, 0x55, 0x56, StreamKind::Video, StreamCodec::Vc1, "VC-1.stream"},
    {IdSpace::Substream, 0x80, 0x87, StreamKind::Audio, StreamCodec::Ac3, "DD.stream"},
    {IdSpace::Substream, 0x88, 0x8F, StreamKind::Audio, StreamCodec::Dts, "DTSHD.stream"},
    {IdSpace::Substream, 0xC0, 0xCF, StreamKind::Audio, StreamCodec::Eac3, "DD+.stream"},
    {IdSpace::Substream, 0xA0, 0xA7, StreamKind::Audio, StreamCodec::Lpcm, "LPCM.stream"},
    {IdSpace::Substream, 0xB0, 0xB7, StreamKind::Audio, StreamCodec::TrueHd, "MLP.stream"},
    {IdSpace::Substream, 0x20, 0x3F, StreamKind::Subpicture, StreamCodec::Subpicture, "Subpicture"},
    {IdSpace::Substream, 0x60, 0x7F, StreamKind::Subpicture, StreamCodec::ExtendedSubpicture,
     "Ext.Subpicture"},
}};

// Per codec: the "found!" line's name, the report's name, the bytes of the
// private-stream-1 substream header in front of the payload (the id
// included) and, for video, the start code that begins a picture: the
// MPEG-2 picture_start_code, the H.264 access unit delimiter and the VC-1
// frame start code.
struct CodecInfo {
  StreamCodec codec;
  std::string_view logName;
  std::string_view jsonName;
  uint8_t substreamHeaderBytes;
  uint8_t pictureStartCode;
};

inline constexpr uint8_t kNoPictureCode = 0xFF;

inline constexpr std::array<CodecInfo, 11> kCodecs = {{
    {StreamCodec::Mpeg2, "[b]MPEG-2[/b] video stream ", "MPEG-2", 0, 0x00},
    {StreamCodec::H264, "[b]H.264 (AVC)[/b] video stream ", "H.264", 0, 0x09},
    {StreamCodec::Vc1, "[b]VC-1[/b] video stream ", "VC-1", 0, 0x0D},
    {StreamCodec::Ac3, "[b]Dolby Digital[/b] audio stream ", "AC-3", 4, kNoPictureCode},
    {StreamCodec::Eac3, "[b]Dolby Digital[/b] Plus audio stream ", "E-AC-3", 4, kNoPictureCode},
    {StreamCodec::Dts, "[b]DTS HD (DTS)[/b] audio stream ", "DTS", 4, kNoPictureCode},
    {StreamCodec::Lpcm, "[b]LPCM[/b] audio stream ", "LPCM", 7, kNoPictureCode},
    {StreamCodec::Mlp, "[b]MLP[/b] audio stream ", "MLP", 7, kNoPictureCode},
    {StreamCodec::TrueHd, "[b]Dolby TrueHD[/b] audio stream ", "TrueHD", 5, kNoPictureCode},
    {StreamCodec::Subpicture, "[b]Subpicture[/b] stream ", "subpicture", 1, kNoPictureCode},
    {StreamCodec::ExtendedSubpicture, "[b]Extended subpicture[/b] stream ", "extended subpicture",
     1, kNoPictureCode},
}};

// Per kind: the digits of the slot in captions, and the texts.
struct KindInfo {
  StreamKind kind;
  int suffixDigits;                 // "MPEG-2.stream.0", "DD.stream.03"
  std::string_view designCaption;   // a box before any source was chosen
  std::string_view clearedCaption;  // a box without a stream
  std::string_view noStreamName;    // the kind name of an empty slot
  std::string_view name;            // "video": in the JSON report and in log lines
  std::string_view sharedSlotName;  // in the warning about two ids in one slot
};

inline constexpr std::array<KindInfo, 3> kKinds = {{
    {StreamKind::Video, 1, "Video stream", "No video stream", "No video stream", "video",
     "Video stream"},
    {StreamKind::Audio, 2, "Audio stream", "No audio stream", "No audio stream", "audio",
     "Audio substream"},
    {StreamKind::Subpicture, 2, "Subpicture", "No subpicture", "No subpicture stream", "subpicture",
     "Subpicture substream"},
}};

constexpr const KindInfo& kindInfo(StreamKind kind) {
  return kKinds[size_t(kind)];
}
constexpr const CodecInfo& codecInfo(StreamCodec codec) {
  return kCodecs[size_t(codec)];
}

// The tables are indexed by their enums.
static_assert([] {
  for (size_t i = 0; i < kKinds.size(); ++i)
    if (size_t(kKinds[i].kind) != i) return false;
  for (size_t i = 0; i < kCodecs.size(); ++i)
    if (size_t(kCodecs[i].codec) != i) return false;
  return true;
}());

// The range an identifier belongs to, or null.
const StreamRange* findRange(IdSpace space, uint8_t id);
// The range of a value the catalogue holds for `kind` (a stream id, VC-1
// extension or substream id), or null for -1 and values of no range.
const StreamRange* rangeOfCatalogued(StreamKind kind, int32_t value);

// The kind of source file, from its extension (compared in upper case).
enum class FileKind : uint8_t { Evo, Vob, Aob };
FileKind fileKindOf(std::string_view path);

// Substream A1 of a DVD-Audio object carries MLP rather than LPCM.
StreamCodec codecIn(const StreamRange& range, uint8_t id, FileKind fileKind);

// Program stream identifiers outside the stream table.
namespace stream_id {
inline constexpr uint8_t kPackHeader = 0xBA;
inline constexpr uint8_t kSystemHeader = 0xBB;
inline constexpr uint8_t kProgramStreamMap = 0xBC;
inline constexpr uint8_t kPrivateStream1 = 0xBD;
inline constexpr uint8_t kPadding = 0xBE;
inline constexpr uint8_t kPrivateStream2 = 0xBF;
inline constexpr uint8_t kMpegAudioFirst = 0xC0;  // never catalogued: passed over
inline constexpr uint8_t kMpegAudioLast = 0xCF;
inline constexpr uint8_t kExtendedStream = 0xFD;  // VC-1, named by its extension
}  // namespace stream_id

namespace private2 {
inline constexpr uint8_t kNavigation = 0x01;  // DSI of a navigation pack
inline constexpr uint8_t kCopyControl = 0x04;
inline constexpr uint8_t kAdvancedContent = 0x80;
}  // namespace private2

}  // namespace vantrel
