#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "engine/analyzer_dispatch.h"
#include "engine/demux.h"
#include "engine/navigation.h"
#include "engine/run_observer.h"
#include "engine/stream_writers.h"

namespace vantrel {

// What the current PES packet carries.
enum class PayloadKind : uint8_t {
  None,
  Video,          // stream ids E0-E3, or FD with a VC-1 extension
  Audio,          // a recognised private-stream-1 audio substream
  Ignore,         // unrecognised substream or stream id extension
  SkipPacket,     // program stream map or padding: the whole packet is passed over
  MpegAudio,      // C0-CF: header parsed, payload passed over
  PrivateHeader,  // private stream 1 before its substream header was read
  Subpicture,
  Private2,
};

// The byte-level parser of one engine pass. Headers are examined one byte at
// a time through a 32-bit window, so packets and headers may span chunks;
// payload is consumed a piece at a time. Nothing is allocated per packet.
class PackParser {
 public:
  PackParser(Session& session, EngineMode mode);

  // Parses `length` bytes of the chunk buffer; the state carries over.
  void parseChunk(const uint8_t* chunk, size_t length);

  // Stream counts of the system header of this file (scan passes).
  void setSystemHeaderCounts(const SystemHeaderCounts& counts) {
    videoCount_ = counts.video;
    audioCount_ = counts.audio;
  }

 private:
  // Returns the index of the next byte to examine.
  size_t byteStep(size_t cursor);
  size_t payloadStep(size_t cursor);
  // Bytes between packets; returns where the next start code's id byte lies.
  size_t passOutsidePackets(size_t cursor);
  bool startCode(uint8_t id);  // false: not a PES start code
  void headerByte(uint8_t byte);
  void timestampByte(uint8_t byte, int index);
  void afterTimestamps();
  void streamIdExtension(uint8_t extension);
  void privateHeaderByte(uint8_t byte);
  void headerEnd();
  void clearHeaderCounters();
  size_t skipPacket(size_t cursor);
  void navigationPacket(size_t cursor);
  void copyControlPacket(size_t cursor);
  void consume() { --packetRemaining_; }

  bool slotHeldByOther();
  void reportStream(size_t cursor, size_t piece);
  void writePiece(const uint8_t* data, size_t piece);
  void found(const FoundStream& stream);
  void details(StreamKind kind, int slot, uint32_t id, uint32_t firstPts,
               const StreamAnalysis& analysis);

  ProcessingState& state_;
  Host& host_;
  RunObserver* const observer_;
  const EngineOptions options_;
  const EngineMode mode_;
  const PayloadTargets targets_;

  const uint8_t* chunk_ = nullptr;
  size_t chunkLength_ = 0;

  uint32_t window_ = 0;
  int32_t packetRemaining_ = 0;
  int64_t carriedSkip_ = 0;  // bytes of a skipped packet still to pass in the next chunk
  bool inPayload_ = false;
  PayloadKind kind_ = PayloadKind::None;
  int lengthPending_ = 0;
  int headerPending_ = 0;
  uint8_t flags2_ = 0;
  int headerRemaining_ = 0;
  int ptsPending_ = 0;
  int ptsDtsPending_ = 0;
  int extFlagsPending_ = 0;
  int pstdPending_ = 0;
  int ext2Pending_ = 0;
  uint8_t extFlags_ = 0;
  uint32_t stamp_ = 0;
  uint32_t currentPts_ = 0;
  uint32_t currentDts_ = 0;
  int privateHeaderPending_ = 0;
  int lpcmExtraPending_ = 0;
  int truehdExtraPending_ = 0;
  bool private2IdPending_ = false;
  bool skipRest_ = false;
  bool navigationPending_ = false;
  bool copyControlPending_ = false;
  bool firstNavigation_ = true;
  bool firstCopyControl_ = true;

  int videoSlot_ = -1;
  int audioSlot_ = -1;
  int subpictureSlot_ = -1;
  VideoCodec videoCodec_ = VideoCodec::Mpeg2;
  uint8_t videoId_ = 0;
  bool videoClaimed_ = false;  // this packet claimed its video slot
  AudioCodec audioCodec_ = AudioCodec::Ac3;
  uint8_t audioSubstreamId_ = 0;
  uint8_t subpictureSubstreamId_ = 0;
  uint32_t videoFirstPts_ = 0;
  uint32_t audioFirstPts_ = 0;
  uint32_t subpictureFirstPts_ = 0;

  // The substream header of the current private-stream-1 packet (the LPCM
  // analyzer reads all seven bytes).
  std::array<uint8_t, 7> substreamHeader_{};
  size_t substreamHeaderBytes_ = 0;

  int videoCount_ = 0;
  int audioCount_ = 0;

  // Ids already warned about for sharing a slot with another id.
  std::bitset<256> sharedVideoWarned_, sharedAudioWarned_, sharedSubpictureWarned_;
};

}  // namespace vantrel
