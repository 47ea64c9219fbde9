#include "engine/pack_parser.h"

#include <algorithm>

#include "engine/navigation.h"
#include "engine/picture_counter.h"
#include "engine/stream_report.h"

namespace vantrel {

PackParser::PackParser(Session& session, EngineMode mode, const PayloadTargets& targets,
                       StreamMeeting* meeting)
    : state_(session.state),
      host_(session.host),
      observer_(session.observer),
      options_(session.options),
      mode_(mode),
      targets_(mode == DemuxMode ? targets : PayloadTargets{}),
      meeting_(mode == DemuxMode ? meeting : nullptr),
      angles_(session.options.angle, session.host, &session.state.BlocksWithoutAngle) {
  pictureTail_.fill(kNoPictureTail);
}

void PackParser::parseChunk(const uint8_t* chunk, size_t length, int64_t filePosition) {
  chunk_ = chunk;
  chunkLength_ = length;
  chunkStart_ = filePosition;
  size_t cursor = 0;
  if (carriedSkip_ > 0) {
    size_t n = size_t(std::min<int64_t>(carriedSkip_, int64_t(length)));
    carriedSkip_ -= int64_t(n);
    cursor = n;
  }
  while (cursor < length) cursor = step(cursor);
}

// Every byte examined passes through the window first. A packet whose
// payload or rest is used up hands its byte on to what follows; a start code
// may begin a new packet anywhere but in payload and skipped bytes.
size_t PackParser::step(size_t cursor) {
  const uint8_t byte = chunk_[cursor];
  window_ = (window_ << 8) | byte;

  if (phase_ == Phase::Payload || phase_ == Phase::Skip) {
    if (packetRemaining_ > 0)
      return phase_ == Phase::Payload ? payloadStep(cursor) : skipPacket(cursor);
    phase_ = Phase::Outside;  // an empty payload: this byte already belongs to what follows
  }
  if ((window_ & 0xFFFFFF00u) == 0x00000100u) {
    packetAt_ = chunkStart_ + int64_t(cursor) - 3;  // where a packet would begin
    if (startCode(byte)) return cursor + 1;
  }

  switch (phase_) {
    case Phase::Length:
      lengthByte();
      return cursor + 1;
    case Phase::Header:
      headerByte(byte);
      return cursor + 1;
    case Phase::Substream:
      substreamByte(byte);
      return cursor + 1;
    default:
      // Outside any packet: the byte only moves through the window, and so
      // do the bytes after it until a start code prefix is complete.
      return passOutsidePackets(cursor + 1);
  }
}

size_t PackParser::passOutsidePackets(size_t cursor) {
  // No state changes here, so nothing but the window needs keeping.
  while (cursor < chunkLength_ && (window_ & 0x00FFFFFFu) != 0x000001u)
    window_ = (window_ << 8) | chunk_[cursor++];
  return cursor;
}

bool PackParser::startCode(uint8_t id) {
  PayloadKind kind = PayloadKind::Stream;
  const StreamRange* video = findRange(IdSpace::StreamId, id);
  if (video) {
    current_ = {video->kind, video->slotOf(id), id, video->codec};
  } else if (id == stream_id::kExtendedStream) {
    current_ = {StreamKind::Video, -1, id, StreamCodec::Vc1};  // named by its extension
  } else if (id >= stream_id::kMpegAudioFirst && id <= stream_id::kMpegAudioLast) {
    kind = PayloadKind::MpegAudio;
  } else if (id == stream_id::kProgramStreamMap || id == stream_id::kPadding) {
    kind = PayloadKind::SkipPacket;
  } else if (id == stream_id::kPrivateStream1) {
    kind = PayloadKind::PrivateHeader;
  } else if (id == stream_id::kPrivateStream2) {
    kind = PayloadKind::Private2;
  } else {
    return false;  // pack and system headers (and anything else) are not parsed
  }
  // A new packet: nothing of the previous header may leak into it, and a
  // stamp belongs only to the packet whose header carries it.
  kind_ = kind;
  phase_ = Phase::Length;
  lengthPending_ = 2;
  currentPts_.reset();
  claimedHere_ = false;
  if (video) claim(*video, id);
  return true;
}

void PackParser::lengthByte() {
  if (--lengthPending_ > 0) return;
  packetRemaining_ = int32_t(window_ & 0xFFFF);  // PES_packet_length
  if (kind_ == PayloadKind::Private2) {
    phase_ = Phase::Substream;
    substreamBytes_ = 0;
    substreamNeeded_ = 1;
  } else if (kind_ == PayloadKind::SkipPacket) {
    phase_ = Phase::Skip;
  } else {
    phase_ = Phase::Header;
    headerBytes_ = 0;
    headerOfVideo_ = kind_ == PayloadKind::Stream && current_.kind == StreamKind::Video;
  }
}

void PackParser::headerByte(uint8_t byte) {
  consume();
  if (headerBytes_ < header_.size()) header_[headerBytes_] = byte;
  ++headerBytes_;
  const std::span<const uint8_t> collected(header_.data(), std::min(headerBytes_, header_.size()));
  const PesHeaderExtent extent = pesHeaderExtent(collected, headerOfVideo_);
  if (headerBytes_ == extent.fieldsEnd) headerFields(parsePesHeader(collected, headerOfVideo_));
  if (headerBytes_ >= extent.size) headerEnd();
}

void PackParser::headerFields(const PesHeader& header) {
  if (header.pts) currentPts_ = header.pts;
  if (header.streamIdExtension) streamIdExtension(*header.streamIdExtension);
}

void PackParser::streamIdExtension(uint8_t extension) {
  const StreamRange* range = findRange(IdSpace::Vc1Extension, extension);
  if (!range) {
    kind_ = PayloadKind::Ignore;
    return;
  }
  kind_ = PayloadKind::Stream;
  current_ = {range->kind, range->slotOf(extension), extension, range->codec};
  claim(*range, extension);
}

void PackParser::headerEnd() {
  if (kind_ == PayloadKind::PrivateHeader) {
    phase_ = Phase::Substream;
    substreamBytes_ = 0;
    substreamNeeded_ = 4;
    return;
  }
  // A video slot is claimed at the start code, before its header told the PTS.
  if (kind_ == PayloadKind::Stream && claimedHere_)
    firstPts_[size_t(current_.kind)] = currentPts_.value_or(0);
  claimedHere_ = false;
  phase_ = Phase::Payload;
}

void PackParser::substreamByte(uint8_t byte) {
  consume();
  if (substreamBytes_ < substreamHeader_.size()) substreamHeader_[substreamBytes_] = byte;
  ++substreamBytes_;
  if (kind_ == PayloadKind::Private2) {
    private2Id(byte);
  } else if (kind_ == PayloadKind::PrivateHeader) {
    // The id is the first byte; subpictures are told by it, audio after the
    // four bytes of its header (id, frame count, first access unit pointer).
    const uint8_t id = substreamHeader_[0];
    if (substreamBytes_ == 1 || substreamBytes_ == 4) privateStream1Id(id);
  }
  if (kind_ == PayloadKind::Stream && substreamBytes_ == substreamNeeded_)
    startPayload(PayloadKind::Stream);
}

void PackParser::private2Id(uint8_t id) {
  if (id == private2::kNavigation) {
    dsiBytes_ = 0;
    startPayload(PayloadKind::Navigation);
  } else if (id == private2::kCopyControl && firstCopyControl_)
    startPayload(PayloadKind::CopyControl);
  else
    phase_ = Phase::Skip;
}

void PackParser::privateStream1Id(uint8_t id) {
  const StreamRange* range = findRange(IdSpace::Substream, id);
  const bool subpicture = range && range->kind == StreamKind::Subpicture;
  if (substreamBytes_ == 1 && !subpicture) return;  // audio is told after its header
  if (!range) {
    startPayload(PayloadKind::Ignore);
    return;
  }
  kind_ = PayloadKind::Stream;
  current_ = {range->kind, range->slotOf(id), id, codecIn(*range, id, options_.fileKind)};
  substreamNeeded_ = codecInfo(current_.codec).substreamHeaderBytes;
  claim(*range, id);
  if (!subpicture) currentPts_.reset();
}

void PackParser::startPayload(PayloadKind kind) {
  kind_ = kind;
  phase_ = Phase::Payload;
}

void PackParser::claim(const StreamRange& range, uint8_t id) {
  int32_t& holder = state_.streamIds(range.kind)[size_t(range.slotOf(id))];
  if (holder != -1) return;
  holder = id;
  claimedHere_ = true;
  firstPts_[size_t(range.kind)] = currentPts_.value_or(0);
  const FoundStream found{range.kind, range.slotOf(id), id, current_.codec};
  if (mode_ != ScanMode) {
    // Catalogue entries are logged (and observed) in scan passes; a demux
    // pass asks the driver about a stream it has no output for.
    OutputFile*& target = targets_[range.kind][size_t(found.slot)];
    if (!target && meeting_) target = meeting_->streamMet(found, packetAt_, currentPts_);
    return;
  }
  host_.log(foundLine(found));
  if (observer_) observer_->streamFound(found);
}

size_t PackParser::skipPacket(size_t cursor) {
  const size_t n = size_t(std::max<int32_t>(packetRemaining_, 0));
  packetRemaining_ = 0;
  phase_ = Phase::Outside;
  const size_t available = chunkLength_ - cursor;
  if (n <= available) return cursor + n;
  // A packet reaching into the next chunk is skipped there too, so that its
  // bytes are never taken for start codes.
  carriedSkip_ = int64_t(n - available);
  return chunkLength_;
}

size_t PackParser::payloadStep(size_t cursor) {
  if (kind_ == PayloadKind::Navigation) return navigationStep(cursor);
  if (kind_ == PayloadKind::CopyControl) {
    copyControlPacket(cursor);
    return skipPacket(cursor);
  }
  const size_t piece = std::min(size_t(packetRemaining_), chunkLength_ - cursor);
  if (kind_ == PayloadKind::Stream && current_.slot >= 0 && angles_.keeps() && !slotHeldByOther())
    streamPiece(cursor, piece);
  packetRemaining_ -= int32_t(piece);
  if (packetRemaining_ == 0) phase_ = Phase::Outside;
  return cursor + piece;
}

// A piece of the current stream's payload: pictures are counted in both
// modes; a scan reports the stream, a demux pass writes the piece.
void PackParser::streamPiece(size_t cursor, size_t piece) {
  const uint8_t* data = chunk_ + cursor;
  const auto slot = size_t(current_.slot);
  if (current_.kind == StreamKind::Video && options_.countFrames &&
      (mode_ == ScanMode || options_.selection.video[slot]))
    state_.FrameCount[slot] += countPictures(data, piece, codecInfo(current_.codec).pictureStartCode,
                                             pictureTail_[slot]);
  if (mode_ == ScanMode && options_.details) reportStream(cursor, piece);
  if (mode_ == DemuxMode) {
    writePiece(data, piece);
    currentPts_.reset();  // later pieces of this packet get no second record header
  }
}

// Two ids that map to one slot would interleave two codecs in one file: the
// slot belongs to the id that claimed it in this pass, the other is skipped.
bool PackParser::slotHeldByOther() {
  const int32_t holder = state_.streamIds(current_.kind)[size_t(current_.slot)];
  if (holder == int32_t(current_.id)) return false;
  std::bitset<256>& warned = sharedWarned_[size_t(current_.kind)];
  if (!warned.test(current_.id)) {
    warned.set(current_.id);
    host_.log(sharedSlotLine(current_.kind, current_.id, current_.slot, uint32_t(holder)));
  }
  return true;
}

void PackParser::reportStream(size_t cursor, size_t piece) {
  const StreamKind kind = current_.kind;
  bool& reported = state_.reported(kind)[size_t(current_.slot)];
  if (reported) return;
  reported = true;
  const uint32_t firstPts = firstPts_[size_t(kind)];
  host_.log(firstPtsLine(firstPts, state_.FirstVideoPtm));
  host_.log(substreamLine(current_.id));
  if (kind != StreamKind::Subpicture)
    state_.MinFirstPts =
        state_.MinFirstPts == kNoFirstPts ? firstPts : earlierPts(state_.MinFirstPts, firstPts);
  const Payload payload{{chunk_, chunkLength_}, cursor, piece};
  const StreamAnalysis analysis = analyzeStream(
      {current_.codec, current_.slot, firstPts, substreamHeader_}, payload, state_, host_);
  if (observer_)
    observer_->streamDetails({kind, current_.slot, current_.id, firstPts, state_.FirstVideoPtm},
                             analysis);
}

void PackParser::writePiece(const uint8_t* data, size_t piece) {
  OutputFile* out = targets_[current_.kind][size_t(current_.slot)];
  if (!out) return;
  if (current_.kind == StreamKind::Subpicture && currentPts_)
    writeSupHeader(*out, supRecordTime(*currentPts_, state_.MinFirstPts));
  out->write(data, piece);
}

// Every DSI: the first is read whole, when it lies wholly in this chunk;
// the head of each, wherever the chunks cut it, places its unit in or out
// of an angle block.
size_t PackParser::navigationStep(size_t cursor) {
  if (dsiBytes_ == 0 && firstNavigation_) navigationPacket(cursor);
  const size_t piece = loadedBody(cursor);
  const size_t taken = std::min(piece, dsiHead_.size() - dsiBytes_);
  std::copy_n(chunk_ + cursor, taken, dsiHead_.begin() + std::ptrdiff_t(dsiBytes_));
  dsiBytes_ += taken;
  if (dsiBytes_ == dsiHead_.size()) {
    angles_.unitStarts(dsiHead_.data());
    return skipPacket(cursor);
  }
  packetRemaining_ -= int32_t(piece);
  if (packetRemaining_ <= 0) phase_ = Phase::Outside;  // too short to place a unit
  return cursor + piece;
}

// The bytes of a private-stream-2 body that lie in this chunk.
size_t PackParser::loadedBody(size_t cursor) const {
  return std::min(size_t(std::max<int32_t>(packetRemaining_, 0)), chunkLength_ - cursor);
}

void PackParser::navigationPacket(size_t cursor) {
  auto nav = parseNavigation({chunk_ + cursor, loadedBody(cursor)}, options_.fileKind);
  if (!nav) return;  // not wholly loaded here: the next navigation packet is taken instead
  firstNavigation_ = false;
  if (audioCount_ == 0) audioCount_ = nav->audioEntries;
  if (state_.FirstVideoPtm == 0) state_.FirstVideoPtm = nav->firstVideoPtm;
  state_.LastVideoPtm = nav->lastVideoPtm;
  const uint32_t ticks = nav->lastVideoPtm - nav->firstVideoPtm;  // modulo 2^32
  const double seconds = ticks / 90000.0;
  state_.TitleDuration += seconds;
  state_.FileDuration = seconds / 86400.0;
  if (mode_ != ScanMode) return;
  const int videoCount = systemCounts_.video;
  for (const std::string& line : describeNavigation(*nav, videoCount, audioCount_, seconds))
    host_.log(line);
  if (observer_) observer_->navigationRead(*nav, videoCount, audioCount_, seconds);
}

void PackParser::copyControlPacket(size_t cursor) {
  auto cc = parseCopyControl({chunk_ + cursor, loadedBody(cursor)});
  if (!cc) return;  // not wholly loaded here: the next copy-control packet is taken instead
  firstCopyControl_ = false;
  for (const std::string& line : describeCopyControl(*cc)) host_.log(line);
  if (observer_) observer_->copyControlRead(*cc);
}

}  // namespace vantrel
