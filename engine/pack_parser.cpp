#include "engine/pack_parser.h"

#include <algorithm>

#include "engine/picture_counter.h"
#include "engine/stream_report.h"

namespace vantrel {

PackParser::PackParser(Session& session, EngineMode mode)
    : state_(session.state),
      host_(session.host),
      observer_(session.observer),
      options_(session.options),
      mode_(mode),
      targets_(mode == DemuxMode ? PayloadTargets::of(session.state, session.options.selection)
                                 : PayloadTargets{}) {}

void PackParser::parseChunk(const uint8_t* chunk, size_t length) {
  chunk_ = chunk;
  chunkLength_ = length;
  size_t cursor = 0;
  if (carriedSkip_ > 0) {
    size_t n = size_t(std::min<int64_t>(carriedSkip_, int64_t(length)));
    carriedSkip_ -= int64_t(n);
    cursor = n;
  }
  while (cursor < length) cursor = byteStep(cursor);
}

size_t PackParser::byteStep(size_t cursor) {
  const uint8_t byte = chunk_[cursor];
  window_ = (window_ << 8) | byte;

  if (inPayload_) {
    if (packetRemaining_ > 0) return payloadStep(cursor);
    inPayload_ = false;  // an empty payload: this byte already belongs to what follows
  }
  if (skipRest_) {
    skipRest_ = false;
    if (packetRemaining_ > 0) return skipPacket(cursor);
  }
  if (private2IdPending_) {
    consume();
    private2IdPending_ = false;
    if (byte == private2::kNavigation && firstNavigation_)
      navigationPending_ = true;
    else if (byte == private2::kCopyControl && firstCopyControl_)
      copyControlPending_ = true;
    else
      skipRest_ = true;
    return cursor + 1;
  }
  if (navigationPending_ || copyControlPending_) {
    if (navigationPending_)
      navigationPacket(cursor);
    else
      copyControlPacket(cursor);
    navigationPending_ = copyControlPending_ = false;
    if (packetRemaining_ > 0) return skipPacket(cursor);
  }
  if ((window_ & 0xFFFFFF00u) == 0x00000100u && startCode(byte)) return cursor + 1;

  if (lengthPending_ > 0) {
    if (--lengthPending_ == 0) {
      packetRemaining_ = int32_t(window_ & 0xFFFF);  // PES_packet_length
      if (kind_ == PayloadKind::Private2)
        private2IdPending_ = true;
      else if (kind_ == PayloadKind::SkipPacket)
        skipRest_ = true;
      else
        headerPending_ = 3;
    }
    return cursor + 1;
  }
  if (headerPending_ > 0) {
    consume();
    headerByte(byte);
    return cursor + 1;
  }
  if (ptsPending_ > 0) {
    consume();
    if (headerRemaining_ > 0) --headerRemaining_;
    timestampByte(byte, 6 - ptsPending_);
    if (--ptsPending_ == 0) {
      currentPts_ = stamp_;
      afterTimestamps();
    }
    return cursor + 1;
  }
  if (ptsDtsPending_ > 0) {
    consume();
    if (headerRemaining_ > 0) --headerRemaining_;
    const int index = 11 - ptsDtsPending_;  // 1..10: PTS, then DTS
    timestampByte(byte, index > 5 ? index - 5 : index);
    --ptsDtsPending_;
    if (index == 5) currentPts_ = stamp_;
    if (index == 10) {
      currentDts_ = stamp_;
      afterTimestamps();
    }
    return cursor + 1;
  }
  if (extFlagsPending_ > 0) {
    consume();
    if (headerRemaining_ > 0) --headerRemaining_;
    extFlagsPending_ = 0;
    extFlags_ = byte;
    if (extFlags_ & 0x10)  // P-STD_buffer_flag
      pstdPending_ = 2;
    else if (extFlags_ & 0x01)  // PES_extension_flag_2
      ext2Pending_ = 2;
    else if (headerRemaining_ == 0)
      headerEnd();
    return cursor + 1;
  }
  if (pstdPending_ > 0) {
    consume();
    if (headerRemaining_ > 0) --headerRemaining_;
    if (--pstdPending_ == 0) {
      if (extFlags_ & 0x01)
        ext2Pending_ = 2;
      else if (headerRemaining_ == 0)
        headerEnd();
    }
    return cursor + 1;
  }
  if (ext2Pending_ > 0) {
    consume();
    if (headerRemaining_ > 0) --headerRemaining_;
    if (--ext2Pending_ == 0) {
      streamIdExtension(byte & 0x7F);
      if (headerRemaining_ == 0) headerEnd();
    }
    return cursor + 1;
  }
  if (headerRemaining_ > 0) {
    consume();
    if (--headerRemaining_ == 0) headerEnd();
    return cursor + 1;
  }
  if (privateHeaderPending_ > 0) {
    consume();
    privateHeaderByte(byte);
    return cursor + 1;
  }
  if (lpcmExtraPending_ > 0 || truehdExtraPending_ > 0) {
    consume();
    if (substreamHeaderBytes_ < substreamHeader_.size())
      substreamHeader_[substreamHeaderBytes_++] = byte;
    int& pending = lpcmExtraPending_ > 0 ? lpcmExtraPending_ : truehdExtraPending_;
    if (--pending == 0) {
      kind_ = PayloadKind::Audio;
      inPayload_ = true;
    }
    return cursor + 1;
  }
  // Outside any packet: the byte only moves through the window, and so do
  // the bytes after it until a start code prefix is complete.
  return passOutsidePackets(cursor + 1);
}

size_t PackParser::passOutsidePackets(size_t cursor) {
  // No state changes here, so nothing but the window needs keeping.
  while (cursor < chunkLength_ && (window_ & 0x00FFFFFFu) != 0x000001u)
    window_ = (window_ << 8) | chunk_[cursor++];
  return cursor;
}

void PackParser::clearHeaderCounters() {
  headerPending_ = ptsPending_ = ptsDtsPending_ = 0;
  extFlagsPending_ = pstdPending_ = ext2Pending_ = 0;
  headerRemaining_ = 0;
}

bool PackParser::startCode(uint8_t id) {
  PayloadKind kind;
  if (auto video = classifyVideoStreamId(id)) {
    kind = PayloadKind::Video;
    videoCodec_ = video->codec;
    videoSlot_ = video->slot;
    videoId_ = id;
  } else if (id == stream_id::kExtendedStream) {
    kind = PayloadKind::Video;  // identified by its stream id extension
    videoCodec_ = VideoCodec::Vc1;
    videoSlot_ = -1;
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
  lengthPending_ = 2;
  clearHeaderCounters();
  privateHeaderPending_ = lpcmExtraPending_ = truehdExtraPending_ = 0;
  private2IdPending_ = false;
  currentPts_ = 0;
  videoClaimed_ = false;
  if (kind == PayloadKind::Video && videoSlot_ >= 0 &&
      state_.VideoStreamId[size_t(videoSlot_)] == -1) {
    state_.VideoStreamId[size_t(videoSlot_)] = id;
    videoClaimed_ = true;
    found({StreamKind::Video, videoSlot_, id, codecOf(videoCodec_)});
  }
  return true;
}

void PackParser::headerByte(uint8_t byte) {
  const int index = 4 - headerPending_--;  // 1: flags 1, 2: flags 2, 3: header data length
  if (index == 2) {
    flags2_ = byte;
  } else if (index == 3) {
    headerRemaining_ = byte;
    if ((flags2_ & 0xC0) == 0x80)
      ptsPending_ = 5;
    else if ((flags2_ & 0xC0) == 0xC0)
      ptsDtsPending_ = 10;
    else if ((flags2_ & 0xC1) == 0x01)
      extFlagsPending_ = 1;
    if (headerRemaining_ == 0) headerEnd();
  }
}

// The low 32 bits of a 33-bit PTS or DTS field:
// '00xx' TS[32..30] 1 | TS[29..22] | TS[21..15] 1 | TS[14..7] | TS[6..0] 1
void PackParser::timestampByte(uint8_t byte, int index) {
  switch (index) {
    case 1:
      stamp_ = uint32_t(byte & 0x06) << 29;
      break;
    case 2:
      stamp_ |= uint32_t(byte) << 22;
      break;
    case 3:
      stamp_ |= uint32_t(byte >> 1) << 15;
      break;
    case 4:
      stamp_ |= uint32_t(byte) << 7;
      break;
    case 5:
      stamp_ |= uint32_t(byte >> 1);
      break;
  }
}

void PackParser::afterTimestamps() {
  if (headerRemaining_ == 0)
    headerEnd();
  else if (kind_ == PayloadKind::Video && (flags2_ & 0x01))
    extFlagsPending_ = 1;
}

void PackParser::streamIdExtension(uint8_t extension) {
  auto vc1 = classifyVc1Extension(extension);
  if (!vc1) {
    kind_ = PayloadKind::Ignore;
    return;
  }
  kind_ = PayloadKind::Video;
  videoSlot_ = vc1->slot;
  videoId_ = extension;
  if (state_.VideoStreamId[size_t(videoSlot_)] == -1) {
    state_.VideoStreamId[size_t(videoSlot_)] = extension;
    videoClaimed_ = true;
    found({StreamKind::Video, videoSlot_, extension, StreamCodec::Vc1});
  }
}

void PackParser::headerEnd() {
  clearHeaderCounters();
  if (kind_ == PayloadKind::PrivateHeader) {
    privateHeaderPending_ = 4;
    substreamHeaderBytes_ = 0;
    return;
  }
  if (kind_ == PayloadKind::Video && videoClaimed_) videoFirstPts_ = currentPts_;
  videoClaimed_ = false;
  inPayload_ = true;
}

void PackParser::privateHeaderByte(uint8_t byte) {
  if (substreamHeaderBytes_ < substreamHeader_.size()) substreamHeader_[substreamHeaderBytes_++] = byte;
  const int index = 5 - privateHeaderPending_--;  // 1 = substream id
  if (index == 1) {
    const bool extended = isExtendedSubpictureSubstream(byte);
    if (!extended && !isSubpictureSubstream(byte)) return;
    subpictureSlot_ = subpictureSlotOf(byte);
    subpictureSubstreamId_ = byte;
    if (state_.SubpictureStreamId[size_t(subpictureSlot_)] == -1) {
      state_.SubpictureStreamId[size_t(subpictureSlot_)] = byte;
      found({StreamKind::Subpicture, subpictureSlot_, byte,
             extended ? StreamCodec::ExtendedSubpicture : StreamCodec::Subpicture});
      subpictureFirstPts_ = currentPts_;
    }
    privateHeaderPending_ = 0;  // only the id byte is stripped
    kind_ = PayloadKind::Subpicture;
    inPayload_ = true;
    return;
  }
  if (index != 4) return;
  const uint8_t id = uint8_t(window_ >> 24);  // the substream id, three bytes back
  auto audio = classifyAudioSubstream(id);
  if (!audio) {
    kind_ = PayloadKind::Ignore;
    inPayload_ = true;
    return;
  }
  audioCodec_ = audio->codec;
  audioSlot_ = audio->slot;
  audioSubstreamId_ = id;
  if (state_.AudioStreamId[size_t(audioSlot_)] < 0) {
    state_.AudioStreamId[size_t(audioSlot_)] = id;
    found({StreamKind::Audio, audioSlot_, id,
           codecOf(audioCodec_, isMlpSubstream(id, options_.fileKind))});
    audioFirstPts_ = currentPts_;
  }
  currentPts_ = 0;
  if (audioCodec_ == AudioCodec::TrueHd) {
    truehdExtraPending_ = 1;
  } else if (audioCodec_ == AudioCodec::Lpcm) {
    lpcmExtraPending_ = 3;
  } else {
    kind_ = PayloadKind::Audio;
    inPayload_ = true;
  }
}

size_t PackParser::skipPacket(size_t cursor) {
  const size_t n = size_t(std::max<int32_t>(packetRemaining_, 0));
  packetRemaining_ = 0;
  const size_t available = chunkLength_ - cursor;
  if (n <= available) return cursor + n;
  // A packet reaching into the next chunk is skipped there too, so that its
  // bytes are never taken for start codes.
  carriedSkip_ = int64_t(n - available);
  return chunkLength_;
}

void PackParser::navigationPacket(size_t cursor) {
  const size_t loaded = std::min(size_t(std::max<int32_t>(packetRemaining_, 0)), chunkLength_ - cursor);
  auto nav = parseNavigation({chunk_ + cursor, loaded}, options_.fileKind);
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
  for (const std::string& line : describeNavigation(*nav, videoCount_, audioCount_, seconds))
    host_.log(line);
  if (observer_) observer_->navigationRead(*nav, videoCount_, audioCount_, seconds);
}

void PackParser::copyControlPacket(size_t cursor) {
  const size_t loaded = std::min(size_t(std::max<int32_t>(packetRemaining_, 0)), chunkLength_ - cursor);
  auto cc = parseCopyControl({chunk_ + cursor, loaded});
  if (!cc) return;  // not wholly loaded here: the next copy-control packet is taken instead
  firstCopyControl_ = false;
  for (const std::string& line : describeCopyControl(*cc)) host_.log(line);
  if (observer_) observer_->copyControlRead(*cc);
}

size_t PackParser::payloadStep(size_t cursor) {
  const size_t piece = std::min(size_t(packetRemaining_), chunkLength_ - cursor);
  const bool carriesStream = (kind_ == PayloadKind::Video && videoSlot_ >= 0) ||
                             kind_ == PayloadKind::Audio || kind_ == PayloadKind::Subpicture;
  if (carriesStream && !slotHeldByOther()) {
    const uint8_t* data = chunk_ + cursor;
    if (kind_ == PayloadKind::Video && options_.countFrames &&
        (mode_ == ScanMode || options_.selection.video[size_t(videoSlot_)]))
      state_.FrameCount[size_t(videoSlot_)] +=
          countPictures(data, piece, pictureStartCode(videoCodec_));
    if (mode_ == ScanMode && options_.details) reportStream(cursor, piece);
    if (mode_ == DemuxMode) {
      writePiece(data, piece);
      currentPts_ = 0;  // later pieces of this packet get no second record header
    }
  }
  packetRemaining_ -= int32_t(piece);
  if (packetRemaining_ == 0) inPayload_ = false;
  return cursor + piece;
}

// Two ids that map to one slot would interleave two codecs in one file: the
// slot belongs to the id that claimed it in this pass, the other is skipped.
bool PackParser::slotHeldByOther() {
  uint32_t id = 0;
  int32_t holder = 0;
  std::bitset<256>* warned = nullptr;
  const char* what = "";
  int slot = 0;
  switch (kind_) {
    case PayloadKind::Video:
      slot = videoSlot_;
      id = videoId_;
      holder = state_.VideoStreamId[size_t(slot)];
      warned = &sharedVideoWarned_;
      what = "Video stream";
      break;
    case PayloadKind::Audio:
      slot = audioSlot_;
      id = audioSubstreamId_;
      holder = state_.AudioStreamId[size_t(slot)];
      warned = &sharedAudioWarned_;
      what = "Audio substream";
      break;
    case PayloadKind::Subpicture:
      slot = subpictureSlot_;
      id = subpictureSubstreamId_;
      holder = state_.SubpictureStreamId[size_t(slot)];
      warned = &sharedSubpictureWarned_;
      what = "Subpicture substream";
      break;
    default:
      return false;
  }
  if (holder == int32_t(id)) return false;
  if (!warned->test(id)) {
    warned->set(id);
    host_.log(sharedSlotLine(what, id, slot, uint32_t(holder)));
  }
  return true;
}

void PackParser::reportStream(size_t cursor, size_t piece) {
  const Payload payload{{chunk_, chunkLength_}, cursor, piece};
  switch (kind_) {
    case PayloadKind::Video: {
      auto slot = size_t(videoSlot_);
      if (state_.VideoReported[slot]) return;
      state_.VideoReported[slot] = true;
      host_.log(firstPtsLine(videoFirstPts_, state_.FirstVideoPtm));
      host_.log(substreamLine(videoId_));
      state_.MinFirstPts = std::min(state_.MinFirstPts, videoFirstPts_);
      details(StreamKind::Video, videoSlot_, videoId_, videoFirstPts_,
              analyzeVideo(videoCodec_, payload, videoFirstPts_, videoSlot_, state_, host_));
      return;
    }
    case PayloadKind::Audio: {
      auto slot = size_t(audioSlot_);
      if (state_.AudioReported[slot]) return;
      state_.AudioReported[slot] = true;
      host_.log(firstPtsLine(audioFirstPts_, state_.FirstVideoPtm));
      host_.log(substreamLine(audioSubstreamId_));
      state_.MinFirstPts = std::min(state_.MinFirstPts, audioFirstPts_);
      details(StreamKind::Audio, audioSlot_, audioSubstreamId_, audioFirstPts_,
              analyzeAudio(audioCodec_, audioSubstreamId_, options_.fileKind, payload,
                           substreamHeader_, audioSlot_, host_));
      return;
    }
    case PayloadKind::Subpicture: {
      auto slot = size_t(subpictureSlot_);
      if (state_.SubpictureReported[slot]) return;
      state_.SubpictureReported[slot] = true;
      host_.log(firstPtsLine(subpictureFirstPts_, state_.FirstVideoPtm));
      host_.log(substreamLine(subpictureSubstreamId_));
      const SubpictureFormat format =
          parseSubpictureFormat(payload.at(cursor), payload.at(cursor + 1));
      host_.log(subpictureFormatLine(format));
      details(StreamKind::Subpicture, subpictureSlot_, subpictureSubstreamId_, subpictureFirstPts_,
              format);
      return;
    }
    default:
      return;
  }
}

// Catalogue entries are logged (and observed) in scan passes only.
void PackParser::found(const FoundStream& stream) {
  if (mode_ != ScanMode) return;
  host_.log(foundLine(stream));
  if (observer_) observer_->streamFound(stream);
}

void PackParser::details(StreamKind kind, int slot, uint32_t id, uint32_t firstPts,
                         const StreamAnalysis& analysis) {
  if (observer_)
    observer_->streamDetails({kind, slot, id, firstPts, state_.FirstVideoPtm}, analysis);
}

void PackParser::writePiece(const uint8_t* data, size_t piece) {
  switch (kind_) {
    case PayloadKind::Video:
      if (OutputFile* out = targets_.video[size_t(videoSlot_)]) out->write(data, piece);
      return;
    case PayloadKind::Audio:
      if (OutputFile* out = targets_.audio[size_t(audioSlot_)]) out->write(data, piece);
      return;
    case PayloadKind::Subpicture:
      if (OutputFile* out = targets_.subpicture[size_t(subpictureSlot_)]) {
        if (currentPts_ != 0) writeSupHeader(*out, supRecordTime(currentPts_, state_.MinFirstPts));
        out->write(data, piece);
      }
      return;
    default:
      return;
  }
}

}  // namespace vantrel
