#include "tools/psmux/es_muxer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>

namespace vantrel::psmux {

namespace {

constexpr size_t kPackHeaderSize = 14;
constexpr size_t kPesFixedHeader = 9;  // start code, length, two flag bytes, header data length
constexpr uint8_t kPrivateStream1 = 0xBD;
constexpr uint8_t kExtendedStream = 0xFD;
// Sync entries for a stream that has no pack in the unit: all address bits set.
constexpr uint16_t kNoAudioInUnit = 0x3FFF;
constexpr uint32_t kNoSubpictureInUnit = 0x3FFFFFFF;
// DVD LPCM numbers its audio frames within groups of 20.
constexpr uint64_t kLpcmFramesPerGroup = 20;

enum class Kind { Video, Audio, Subpicture };

std::string hex(uint8_t value) {
  static const char digits[] = "0123456789ABCDEF";
  return {digits[value >> 4], digits[value & 15]};
}

struct CodecRule {
  Kind kind;
  uint8_t first;
  uint8_t last;
  size_t substreamHeader;  // bytes after the PES header, before the data
};

CodecRule ruleOf(EsCodec codec) {
  switch (codec) {
    case EsCodec::Mpeg2Video: return {Kind::Video, 0xE0, 0xE1, 0};
    case EsCodec::H264Video: return {Kind::Video, 0xE2, 0xE3, 0};
    case EsCodec::Vc1Video: return {Kind::Video, 0x55, 0x56, 0};
    case EsCodec::Ac3: return {Kind::Audio, 0x80, 0x87, 4};
    case EsCodec::Dts: return {Kind::Audio, 0x88, 0x8F, 4};
    case EsCodec::Lpcm: return {Kind::Audio, 0xA0, 0xA7, 7};
    case EsCodec::TrueHd: return {Kind::Audio, 0xB0, 0xB7, 5};
    case EsCodec::Eac3: return {Kind::Audio, 0xC0, 0xCF, 4};
    case EsCodec::Subpicture: return {Kind::Subpicture, 0x20, 0x7F, 1};
  }
  throw std::invalid_argument("unknown codec");
}

bool idFits(EsCodec codec, uint8_t id) {
  CodecRule rule = ruleOf(codec);
  if (codec == EsCodec::Subpicture) return (id & 0xE0) == 0x20 || (id & 0xE0) == 0x60;
  return id >= rule.first && id <= rule.last;
}

// Audio stream number as the disc's DSI counts it (the slot rule of the
// substream ranges); subpictures number by their low five bits.
int audioNumberOf(EsCodec codec, uint8_t id) {
  return (codec == EsCodec::Lpcm || codec == EsCodec::Eac3) ? (id & 15) : (id & 7);
}

struct Lane {
  const EsStream* stream = nullptr;
  CodecRule rule{};
  AccessUnitView head;
  bool hasHead = false;
  size_t offset = 0;  // bytes of head already muxed
  AccessUnitView ahead;
  bool hasAhead = false;
  uint64_t lastDecodeTime = 0;
  bool anyUnit = false;
  uint64_t unitsStarted = 0;
  MuxedStream stats;
  int dsiAudioEntry = -1;
  int dsiSubpictureEntry = -1;
  int64_t firstPackInUnit = -1;  // packs after the unit's navigation pack

  uint64_t decodeTime(const AccessUnitView& unit) const { return unit.dts.value_or(unit.pts); }
  uint64_t deadline() const { return decodeTime(head); }

  bool fetch(AccessUnitView& unit) {
    if (!stream->source->next(unit)) return false;
    if (unit.size == 0 || unit.data == nullptr) {
      throw std::invalid_argument("empty access unit in stream " + hex(stream->id));
    }
    if (unit.dts && *unit.dts == unit.pts) unit.dts.reset();
    uint64_t time = decodeTime(unit);
    if (anyUnit && time < lastDecodeTime) {
      throw std::invalid_argument("decoding time goes backwards in stream " + hex(stream->id));
    }
    anyUnit = true;
    lastDecodeTime = time;
    return true;
  }

  void prime() {
    hasHead = fetch(head);
    if (hasHead) hasAhead = fetch(ahead);
  }

  void advance() {
    offset = 0;
    hasHead = hasAhead;
    if (hasHead) {
      head = ahead;
      hasAhead = fetch(ahead);
    }
  }
};

size_t timestampBytes(const AccessUnitView& unit) { return unit.dts ? 10 : 5; }

class Muxer {
 public:
  Muxer(const std::vector<EsStream>& streams, const MuxOptions& options, PackSink& sink)
      : options_(options), sink_(sink) {
    std::set<std::pair<Kind, uint8_t>> seen;
    lanes_.reserve(streams.size());
    for (const EsStream& stream : streams) {
      if (!stream.source) throw std::invalid_argument("stream " + hex(stream.id) + " has no source");
      if (!idFits(stream.codec, stream.id)) {
        throw std::invalid_argument("stream id " + hex(stream.id) + " does not fit its codec");
      }
      Lane lane;
      lane.stream = &stream;
      lane.rule = ruleOf(stream.codec);
      if (!seen.insert({lane.rule.kind, stream.id}).second) {
        throw std::invalid_argument("stream id " + hex(stream.id) + " given twice");
      }
      if (lane.rule.kind == Kind::Audio) {
        ++audioStreams_;
        int number = audioNumberOf(stream.codec, stream.id);
        if (number < 8 && !audioEntryTaken_[size_t(number)]) {
          audioEntryTaken_[size_t(number)] = true;
          lane.dsiAudioEntry = number;
        }
      } else if (lane.rule.kind == Kind::Subpicture) {
        int number = stream.id & 0x1F;
        if (!subpictureEntryTaken_[size_t(number)]) {
          subpictureEntryTaken_[size_t(number)] = true;
          lane.dsiSubpictureEntry = number;
        }
      } else {
        if (primaryVideo_ < 0) primaryVideo_ = int(lanes_.size());
        ++videoStreams_;
      }
      lanes_.push_back(lane);
    }
    nextScr_ = options.scrStart;
    result_.streams.resize(lanes_.size());
  }

  MuxResult run() {
    for (Lane& lane : lanes_) lane.prime();
    bool first = true;
    while (Lane* lane = earliestLane()) {
      if (first) {
        startUnit(lane->deadline());
        first = false;
      } else if (unitBoundaryBefore(*lane)) {
        finishUnit();
        startUnit(lane->deadline());
      }
      writeDataPack(*lane);
    }
    if (!first) finishUnit();
    patchPresentationTimes();
    for (size_t i = 0; i < lanes_.size(); ++i) result_.streams[i] = lanes_[i].stats;
    result_.nextScr = nextScr_;
    return result_;
  }

 private:
  bool isPrimaryVideo(const Lane& lane) const { return &lane - lanes_.data() == primaryVideo_; }

  Lane* earliestLane() {
    Lane* best = nullptr;
    for (Lane& lane : lanes_) {
      if (lane.hasHead && (!best || lane.deadline() < best->deadline())) best = &lane;
    }
    return best;
  }

  // A video object unit starts at a picture of the first video stream from
  // which decoding can start; without video, after unitLength ticks.
  bool unitBoundaryBefore(const Lane& lane) const {
    if (primaryVideo_ < 0) return lane.deadline() >= unitStartTime_ + options_.unitLength;
    return &lane == &lanes_[size_t(primaryVideo_)] && lane.offset == 0 && lane.head.randomAccess &&
           videoUnitsInUnit_ > 0;
  }

  uint64_t scrFor(uint64_t deadline) {
    uint64_t earliest = deadline > options_.deliveryLead ? deadline - options_.deliveryLead : 0;
    uint64_t scr = std::max(nextScr_, earliest);
    nextScr_ = scr + kTicksPerPack;
    return scr;
  }

  void emit(const uint8_t* pack) {
    sink_.write(pack);
    ++result_.packs;
    ++packsInUnit_;
  }

  void emit(const Bytes& pack) {
    if (pack.size() != kPackSize) throw std::logic_error("pack of the wrong size");
    emit(pack.data());
  }

  void startUnit(uint64_t deadline) {
    Navigation nav;
    nav.vobNumber = options_.vobNumber;
    nav.audioBound = audioStreams_;
    nav.videoBound = videoStreams_;
    navOffset_ = sink_.size();
    const uint64_t scr = scrFor(deadline);
    if (result_.navigationPacks == 0) result_.firstScr = scr;
    navPack_ = options_.discNavigation ? discNavigationPack(scr, nav) : navigationPack(scr, nav);
    navOffsets_.push_back(navOffset_);
    result_.unitStarts.push_back(navOffset_ / kPackSize);
    packsInUnit_ = 0;
    emit(navPack_);
    ++result_.navigationPacks;
    unitStartTime_ = deadline;
    videoUnitsInUnit_ = 0;
    referenceEnds_ = {};
    referencesInUnit_ = 0;
    unitVideoSeen_ = false;
    for (Lane& lane : lanes_) lane.firstPackInUnit = -1;
    if (result_.navigationPacks == 1) {
      if (options_.copyControl) emit(pack(scrFor(deadline), {copyControlPacket(*options_.copyControl)}));
      for (int i = 0; i < options_.advancedContentPacks; ++i) emit(advancedContentPack(scrFor(deadline)));
      for (const Bytes& packet : options_.advancedStreamPackets) emit(pack(scrFor(deadline), {packet}));
    }
  }

  // Fills the unit's synchronisation entries now that its packs are known.
  void finishUnit() {
    const size_t dsi = dsiDataOffset(Layout::HdDvd);
    for (const Lane& lane : lanes_) {
      if (lane.dsiAudioEntry >= 0) {
        uint16_t value = lane.firstPackInUnit > 0 && lane.firstPackInUnit < kNoAudioInUnit
                             ? uint16_t(lane.firstPackInUnit)
                             : kNoAudioInUnit;
        set16(navPack_, dsi + 530 + 2 * size_t(lane.dsiAudioEntry), value);
      }
      if (lane.dsiSubpictureEntry >= 0) {
        uint32_t value = lane.firstPackInUnit > 0 && lane.firstPackInUnit < kNoSubpictureInUnit
                             ? uint32_t(lane.firstPackInUnit)
                             : kNoSubpictureInUnit;
        set32(navPack_, dsi + 546 + 4 * size_t(lane.dsiSubpictureEntry), value);
      }
    }
    if (options_.discNavigation) {
      UnitAddresses unit;
      unit.lbn = uint32_t(navOffset_ / kPackSize);
      unit.lastPack = uint32_t(packsInUnit_ - 1);
      unit.referenceEnds = referenceEnds_;
      unit.startPtm = uint32_t(unitFirstPts_);
      unit.endPtm = uint32_t(unitEndPts_);
      setUnitAddresses(navPack_.data(), unit);
    }
    sink_.patch(navOffset_, navPack_.data(), navPack_.size());
  }

  void patchPresentationTimes() {
    if (primaryVideo_ < 0 || !videoSeen_) return;
    result_.firstVideoPtm = uint32_t(videoFirst_);
    result_.lastVideoPtm = uint32_t(videoEnd_);
    Bytes times;
    put32(times, result_.firstVideoPtm);
    put32(times, result_.lastVideoPtm);
    const size_t at = dsiDataOffset(Layout::HdDvd) + 44;
    for (uint64_t offset : navOffsets_) sink_.patch(offset + at, times.data(), times.size());
  }

  void noteUnitStart(Lane& lane, const AccessUnitView& unit) {
    MuxedStream& stats = lane.stats;
    if (stats.units == 0) stats.firstPts = unit.pts;
    stats.lastPts = std::max(stats.lastPts, unit.pts);
    ++stats.units;
    ++lane.unitsStarted;
    if (isPrimaryVideo(lane)) {
      ++videoUnitsInUnit_;
      if (!unitVideoSeen_ || unit.pts < unitFirstPts_) unitFirstPts_ = unit.pts;
      if (!unitVideoSeen_ || unit.pts + unit.duration > unitEndPts_) unitEndPts_ = unit.pts + unit.duration;
      unitVideoSeen_ = true;
      if (!videoSeen_ || unit.pts < videoFirst_) videoFirst_ = unit.pts;
      videoEnd_ = std::max(videoEnd_, unit.pts + unit.duration);
      videoSeen_ = true;
    }
  }

  void writeDataPack(Lane& lane) {
    const EsStream& stream = *lane.stream;
    const bool vc1 = stream.codec == EsCodec::Vc1Video;
    const size_t extension = vc1 ? 3 : 0;  // flags, field length, stream_id_extension
    const size_t room =
        kPackSize - kPackHeaderSize - kPesFixedHeader - extension - lane.rule.substreamHeader;

    // Decide the time stamp first: the PES header carries the PTS of the
    // first access unit that starts in the packet, and every packet in which
    // one starts carries it.
    const size_t rest = lane.head.size - lane.offset;
    // Pictures and subpicture units each start a packet of their own (so every
    // one carries its time stamp, and a navigation pack can go in front of a
    // picture); audio frames follow each other within packets.
    const bool wholeUnits = lane.rule.kind != Kind::Audio;
    bool stamped = false;
    size_t capacity = room;
    if (lane.offset == 0) {
      stamped = true;
      capacity = room - timestampBytes(lane.head);
    } else if (rest >= room) {
      capacity = room;
    } else if (lane.hasAhead && !wholeUnits && rest < room - timestampBytes(lane.ahead)) {
      stamped = true;
      capacity = room - timestampBytes(lane.ahead);
    } else {
      capacity = rest;  // end the packet with the unit; the next one starts a packet
    }
    if (wholeUnits) capacity = std::min(capacity, rest);

    const uint64_t deadline = lane.deadline();
    size_t taken = 0;
    int starts = 0;
    size_t firstStart = 0;
    AccessUnitView stampUnit;
    uint64_t firstStartIndex = 0;
    while (taken < capacity && lane.hasHead) {
      if (lane.offset == 0) {
        if (starts == 0) {
          firstStart = taken;
          stampUnit = lane.head;
          firstStartIndex = lane.unitsStarted;
        }
        ++starts;
        noteUnitStart(lane, lane.head);
      }
      size_t piece = std::min(capacity - taken, lane.head.size - lane.offset);
      std::memcpy(payload_.data() + taken, lane.head.data + lane.offset, piece);
      taken += piece;
      lane.offset += piece;
      if (lane.offset < lane.head.size) break;
      // This pack ends the picture: the unit's first reference pictures are found by it.
      if (isPrimaryVideo(lane) && lane.head.reference && referencesInUnit_ < referenceEnds_.size()) {
        referenceEnds_[referencesInUnit_++] = uint32_t(packsInUnit_);
      }
      lane.advance();
    }
    if (stamped && starts == 0) throw std::logic_error("time stamp without an access unit");
    if (starts == 0) firstStartIndex = lane.unitsStarted - 1;  // the unit this packet continues

    Pes pes;
    pes.streamId = lane.rule.kind == Kind::Video ? (vc1 ? kExtendedStream : stream.id) : kPrivateStream1;
    if (vc1) pes.streamIdExtension = stream.id;
    if (stamped) {
      pes.pts = stampUnit.pts;
      pes.dts = stampUnit.dts;
    }
    Bytes substream = substreamHeader(lane, starts, firstStart, firstStartIndex);
    size_t used = kPackHeaderSize + pesHeaderSize(pes) + substream.size() + taken;
    size_t left = kPackSize - used;
    if (left > 0 && left < 6) {
      pes.stuffing = int(left);  // too small for a padding packet
      left = 0;
    }
    pes.lengthOverride =
        uint16_t(pesHeaderSize(pes) - 6 + substream.size() + taken);

    uint8_t* out = pack_.data();
    size_t at = 0;
    auto put = [&](const uint8_t* bytes, size_t size) {
      if (size == 0) return;
      std::memcpy(out + at, bytes, size);
      at += size;
    };
    Bytes header = packHeader(scrFor(deadline));
    put(header.data(), header.size());
    Bytes pesHeader = pesPacket(pes);
    put(pesHeader.data(), pesHeader.size());
    put(substream.data(), substream.size());
    put(payload_.data(), taken);
    if (left > 0) {
      Bytes padding = paddingPacket(left);
      put(padding.data(), padding.size());
    }
    if (at != kPackSize) throw std::logic_error("data pack of the wrong size");

    if (lane.firstPackInUnit < 0) lane.firstPackInUnit = int64_t(packsInUnit_);
    if (options_.recordPacks) lane.stats.packNumbers.push_back(result_.packs);
    lane.stats.bytes += taken;
    ++lane.stats.packs;
    emit(out);
  }

  Bytes substreamHeader(const Lane& lane, int starts, size_t firstStart, uint64_t frameIndex) const {
    const EsStream& stream = *lane.stream;
    const uint8_t frames = uint8_t(std::min(starts, 255));
    // The first access unit pointer counts from the byte after itself.
    auto pointer = [&](size_t extra) { return starts ? uint16_t(1 + extra + firstStart) : uint16_t(0); };
    switch (stream.codec) {
      case EsCodec::Ac3:
      case EsCodec::Eac3:
      case EsCodec::Dts: return audioSubstreamHeader(stream.id, frames, pointer(0));
      case EsCodec::TrueHd: return trueHdSubstreamHeader(stream.id, frames, pointer(1));
      case EsCodec::Lpcm:
        return lpcmSubstreamHeader(stream.id, uint8_t(frameIndex % kLpcmFramesPerGroup), stream.lpcmFormat,
                                   stream.lpcmDynamicRange, frames, pointer(3));
      case EsCodec::Subpicture: return subpictureSubstreamHeader(stream.id);
      default: return {};
    }
  }

  const MuxOptions& options_;
  PackSink& sink_;
  std::vector<Lane> lanes_;
  int primaryVideo_ = -1;
  int audioStreams_ = 0;
  int videoStreams_ = 0;
  std::array<bool, 8> audioEntryTaken_{};
  std::array<bool, 32> subpictureEntryTaken_{};
  uint64_t nextScr_ = 0;
  uint64_t unitStartTime_ = 0;
  uint64_t videoUnitsInUnit_ = 0;
  uint64_t packsInUnit_ = 0;
  std::array<uint32_t, 3> referenceEnds_{};
  size_t referencesInUnit_ = 0;
  bool unitVideoSeen_ = false;  // presentation span of the unit's pictures
  uint64_t unitFirstPts_ = 0;
  uint64_t unitEndPts_ = 0;
  bool videoSeen_ = false;
  uint64_t videoFirst_ = 0;
  uint64_t videoEnd_ = 0;
  Bytes navPack_;
  uint64_t navOffset_ = 0;
  std::vector<uint64_t> navOffsets_;  // one per unit, for the final presentation times
  std::array<uint8_t, kPackSize> payload_{};
  std::array<uint8_t, kPackSize> pack_{};
  MuxResult result_;
};

}  // namespace

MuxResult muxProgramStream(const std::vector<EsStream>& streams, const MuxOptions& options,
                           PackSink& sink) {
  return Muxer(streams, options, sink).run();
}

}  // namespace vantrel::psmux
