#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/analyzer_dispatch.h"
#include "engine/angle_filter.h"
#include "engine/demux.h"
#include "engine/program_stream.h"
#include "engine/run_observer.h"
#include "engine/stream_meeting.h"
#include "engine/stream_writers.h"

namespace vantrel {

// What the current PES packet carries.
enum class PayloadKind : uint8_t {
  None,
  Stream,         // a catalogued stream: see the current stream
  Ignore,         // unrecognised substream or stream id extension
  SkipPacket,     // program stream map or padding: the whole packet is passed over
  MpegAudio,      // C0-CF: header parsed, payload passed over
  PrivateHeader,  // private stream 1 before its substream header was read
  Private2,       // private stream 2 before its substream id was read
  Navigation,     // the first navigation packet (DSI) of the pass
  CopyControl,    // the first copy-control packet of the pass
};

// Where the parser is within the byte stream.
enum class Phase : uint8_t {
  Outside,    // between packets: looking for a start code
  Length,     // PES_packet_length
  Header,     // the PES header: flag bytes, time stamps, extension, stuffing
  Substream,  // the substream header of private stream 1 or 2
  Payload,
  Skip,  // the rest of a packet that is passed over
};

// The stream the current packet belongs to.
struct CurrentStream {
  StreamKind kind = StreamKind::Video;
  int slot = -1;  // -1: an extended stream without a VC-1 extension
  uint8_t id = 0;
  StreamCodec codec = StreamCodec::Mpeg2;
};

// The byte-level parser of one engine pass: a phase machine that examines
// headers one byte at a time through a 32-bit window, so that packets and
// headers may span chunks, and collects each PES and substream header in a
// small fixed buffer before it reads it. Payload is consumed a piece at a
// time, straight from the chunk. Nothing is allocated per packet.
class PackParser {
 public:
  // A demux pass writes to `targets`, and asks `meeting` about a stream
  // that takes a slot without an output.
  PackParser(Session& session, EngineMode mode, const PayloadTargets& targets = {},
             StreamMeeting* meeting = nullptr);

  // Parses `length` bytes of the chunk buffer, which begins at
  // `filePosition` of the input; the state carries over.
  void parseChunk(const uint8_t* chunk, size_t length, int64_t filePosition = 0);
  // The end of the pass.
  void finish() { angles_.finish(); }

  // Stream counts of the system header of this file (scan passes).
  void setSystemHeaderCounts(const SystemHeaderCounts& counts) {
    systemCounts_ = counts;
    audioCount_ = counts.audio;
  }

 private:
  // Each returns the index of the next byte to examine.
  size_t step(size_t cursor);
  size_t payloadStep(size_t cursor);
  size_t skipPacket(size_t cursor);
  // Bytes between packets; returns where the next start code's id byte lies.
  size_t passOutsidePackets(size_t cursor);

  bool startCode(uint8_t id);  // false: not a PES start code
  void lengthByte();
  void headerByte(uint8_t byte);
  void headerFields(const PesHeader& header);
  void headerEnd();
  void substreamByte(uint8_t byte);
  void private2Id(uint8_t id);
  void privateStream1Id(uint8_t id);
  void startPayload(PayloadKind kind);
  void consume() { --packetRemaining_; }

  // The one place where a packet takes a catalogue slot ("found!").
  void claim(const StreamRange& range, uint8_t id);
  void streamIdExtension(uint8_t extension);
  bool slotHeldByOther();
  void streamPiece(size_t cursor, size_t piece);
  void reportStream(size_t cursor, size_t piece);
  void writePiece(const uint8_t* data, size_t piece);
  size_t navigationStep(size_t cursor);
  void navigationPacket(size_t cursor);
  void copyControlPacket(size_t cursor);
  size_t loadedBody(size_t cursor) const;

  ProcessingState& state_;
  Host& host_;
  RunObserver* const observer_;
  const EngineOptions options_;
  const EngineMode mode_;
  PayloadTargets targets_;  // grows when a stream met in the pass is given an output
  StreamMeeting* const meeting_;

  const uint8_t* chunk_ = nullptr;
  size_t chunkLength_ = 0;
  int64_t chunkStart_ = 0;  // offset of the chunk in the file
  int64_t packetAt_ = 0;    // offset of the current packet's start code

  uint32_t window_ = 0;
  Phase phase_ = Phase::Outside;
  PayloadKind kind_ = PayloadKind::None;
  int32_t packetRemaining_ = 0;
  int64_t carriedSkip_ = 0;  // bytes of a skipped packet still to pass in the next chunk
  int lengthPending_ = 0;

  // The PES header being collected, and whether its packet is a video one.
  std::array<uint8_t, kMaxPesHeaderSize> header_{};
  size_t headerBytes_ = 0;
  bool headerOfVideo_ = false;
  // PTS of the current packet's header, when it carried one (0 is a stamp too).
  std::optional<uint32_t> currentPts_;

  // The substream header of the current private-stream-1 packet (the LPCM
  // analyzer reads all seven bytes), and how many of it come before the payload.
  std::array<uint8_t, 7> substreamHeader_{};
  size_t substreamBytes_ = 0;
  size_t substreamNeeded_ = 0;

  CurrentStream current_;
  bool claimedHere_ = false;  // this packet claimed its slot
  // First PTS of the stream most recently claimed, per kind.
  std::array<uint32_t, kStreamKinds.size()> firstPts_{};
  // The last payload bytes of each video slot, for start codes split
  // between packets or chunks.
  std::array<uint32_t, kVideoSlots> pictureTail_;

  // The head of the current DSI, up to the fields that place its unit in
  // an angle block, collected across chunks.
  std::array<uint8_t, dsi::kAngleFieldsEnd> dsiHead_{};
  size_t dsiBytes_ = 0;
  AngleFilter angles_;

  bool firstNavigation_ = true;
  bool firstCopyControl_ = true;
  SystemHeaderCounts systemCounts_;
  int audioCount_ = 0;  // from the system header, else from the navigation packet

  // Ids already warned about for sharing a slot with another id, per kind.
  std::array<std::bitset<256>, kStreamKinds.size()> sharedWarned_;
};

}  // namespace vantrel
