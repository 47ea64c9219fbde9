#include "rebuild/rebuild_engine.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <optional>
#include <string>

#include "common/path_rules.h"
#include "common/text_format.h"
#include "engine/angle_filter.h"
#include "engine/navigation.h"
#include "engine/program_stream.h"
#include "engine/progress.h"

namespace vantrel {

namespace {

// Offsets in a 2,048-byte HD DVD pack.
constexpr size_t kStreamIdAt = kPackHeaderSize + 3;  // the first packet after the pack header
constexpr size_t kPesHeaderAt = kPackHeaderSize + kPesPrefixSize;
constexpr size_t kSystemHeaderAt = kPackHeaderSize;
constexpr size_t kDsiPacketAt = dsi::kHdDvdPacketAt;
constexpr size_t kDsiBodyAt = dsi::kHdDvdBodyAt;

// Every HD DVD pack header carries this mux rate and no stuffing.
constexpr uint8_t kHdDvdMuxRate[4] = {0x04, 0x9D, 0x43, 0xF8};
// 01 BF, length 755, substream 01: the DSI packet of a navigation pack.
constexpr uint8_t kDsiHeader[5] = {0x01, stream_id::kPrivateStream2, 0x02, 0xF3,
                                   private2::kNavigation};

bool startsWithPackHeader(const uint8_t* p) {
  return p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == stream_id::kPackHeader;
}

void put32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}

// What identifies the first packet of a pack.
struct PackStream {
  uint8_t streamId = 0;  // 0: not an HD DVD pack; no rule applies to it
  size_t idAt = 0;       // where the identifier that names the stream lies; 0: none
  uint8_t id = 0;
  const StreamRange* range = nullptr;  // the id's stream, when the table knows it
};

PackStream packStreamOf(const uint8_t* p) {
  PackStream pack;
  if (p[2] != 1 || p[3] != stream_id::kPackHeader || std::memcmp(p + 10, kHdDvdMuxRate, 4) != 0)
    return pack;
  const uint8_t s = p[kStreamIdAt];
  pack.streamId = s;
  const StreamRange* video = findRange(IdSpace::StreamId, s);
  const std::span<const uint8_t> rest(p + kPesHeaderAt, kPackSize - kPesHeaderAt);
  const PesHeader header = parsePesHeader(rest, video || s == stream_id::kExtendedStream);
  IdSpace space = IdSpace::StreamId;
  if (video) {
    pack.idAt = kStreamIdAt;
  } else if (s == stream_id::kPrivateStream1) {
    pack.idAt = kPesHeaderAt + header.size;
    space = IdSpace::Substream;
  } else if (s == stream_id::kExtendedStream && header.streamIdExtension) {
    pack.idAt = kPesHeaderAt + header.fieldsEnd - 1;
    space = IdSpace::Vc1Extension;
  } else if (s == stream_id::kPrivateStream2) {
    pack.idAt = kPesHeaderAt;  // the first payload byte
    pack.id = p[pack.idAt];
    return pack;
  }
  if (pack.idAt == 0 || pack.idAt >= kPackSize) return {s};
  pack.id = p[pack.idAt] & (space == IdSpace::Vc1Extension ? 0x7F : 0xFF);
  pack.range = findRange(space, pack.id);
  return pack;
}

// The new identifier of the kept stream numbered `counter` within its kind:
// the first identifier of its range plus the counter. When that would leave
// the range it would name another codec: no result.
std::optional<uint8_t> renumbered(const StreamRange& range, int counter) {
  if (counter > range.last - range.first) return std::nullopt;
  return uint8_t(range.first + counter);
}

void numberKind(StreamKind kind, const RebuildPlan& plan, Renumbering& numbers, Host& host) {
  int& counter = numbers.counters[size_t(kind)];
  for (size_t slot = 0; slot < plan.ids[kind].size(); ++slot) {
    const int32_t value = plan.ids[kind][slot];
    const StreamRange* range = rangeOfCatalogued(kind, value);
    if (!plan.keep[kind][slot] || !range) continue;
    const auto id = uint8_t(value);
    uint8_t& entry = numbers.map[size_t(range->space)][id];
    if (entry != Renumbering::kNone) continue;
    if (auto fresh = renumbered(*range, counter)) {
      entry = *fresh;
    } else {
      entry = id;
      host.log("[re]Warning:[/re] " + std::string(kindInfo(kind).name) + " stream " + hex2(id) +
               " keeps its identifier: as kept stream " + std::to_string(counter) +
               " its number would leave the range of its codec.");
    }
    ++counter;
  }
}

// Per-pack work of one file. `p` holds 2,048 bytes of which the first `n`
// came from the file (the rest are zero); returns whether to write them.
// What the pack was is kept until the next one.
class PackRewriter {
 public:
  PackRewriter(const RebuildPlan& plan, RebuildRun& run, Host& host)
      : plan_(plan), run_(run), numbers_(run.numbers), host_(host) {}

  bool process(uint8_t* p) {
    pack_ = packStreamOf(p);
    dsiFound_ = false;
    withoutBox_ = false;
    if (pack_.streamId != 0) ++run_.hdDvdPacks;
    if (navigation()) rewriteNavigation(p);
    if (dropped(pack_)) {
      withoutBox_ = pack_.range && slotWithoutBox(pack_);
      return false;
    }
    if (pack_.range) {
      newId_ = numbers_.apply(pack_.range->space, pack_.id);
      uint8_t& id = p[pack_.idAt];
      // An extension keeps its stream_id_extension_flag bit.
      id = pack_.range->space == IdSpace::Vc1Extension ? uint8_t((id & 0x80) | newId_) : newId_;
    }
    const bool kept = startsWithPackHeader(p);
    if (kept && pack_.range) ++run_.streamPacks;
    return kept;
  }

  bool navigation() const { return pack_.streamId == stream_id::kSystemHeader; }
  bool dsiFound() const { return dsiFound_; }
  // The pack was dropped as no box stands for its slot: Read EVO did not list its stream.
  bool withoutBox() const { return withoutBox_; }
  const StreamRange* range() const { return pack_.range; }
  uint8_t id() const { return pack_.id; }
  uint8_t newId() const { return newId_; }
  const SyncOwners& owners() const { return owners_; }

 private:
  // A stream of the table is kept when the first slot holding its
  // identifier is ticked (slots are searched from 0 up). No box stands for
  // an identifier no slot holds, one that lost its slot to another id
  // among them: it goes, so that the system header counts what is kept.
  bool dropped(const PackStream& pack) const {
    if (pack.streamId == stream_id::kPrivateStream2)
      return pack.id == private2::kAdvancedContent && !plan_.keepAdvanced;
    if (!pack.range) return false;
    const StreamKind kind = pack.range->kind;
    const std::span<const int32_t> ids = plan_.ids[kind];
    const auto slot = std::ranges::find(ids, int32_t(pack.id));
    return slot == ids.end() || !plan_.keep[kind][size_t(slot - ids.begin())];
  }

  bool slotWithoutBox(const PackStream& pack) const {
    const int slot = pack.range->slotOf(pack.id);
    const std::span<const int32_t> ids = plan_.ids[pack.range->kind];
    return slot >= 0 && size_t(slot) < ids.size() && ids[size_t(slot)] < 0;
  }

  void rewriteNavigation(uint8_t* p) {
    const int video = plan_.kept(StreamKind::Video);
    const int audio = plan_.kept(StreamKind::Audio);
    uint8_t& videoBound = p[kSystemHeaderAt + kVideoBoundAt];
    uint8_t& audioBound = p[kSystemHeaderAt + kAudioBoundAt];
    videoBound = uint8_t((videoBound & 0xE0) | (video & 0x1F));
    audioBound = uint8_t((audioBound & 0x03) | ((audio & 0x3F) << 2));
    assignNumbers(plan_, numbers_, host_);

    if (std::memcmp(p + kDsiPacketAt + 2, kDsiHeader, sizeof kDsiHeader) != 0) return;
    dsiFound_ = true;
    uint8_t* dsiBody = p + kDsiBodyAt;
    put32(dsiBody + dsi::kFirstVideoPtmAt, plan_.firstVideoPtm);
    put32(dsiBody + dsi::kLastVideoPtmAt, plan_.lastVideoPtm);
    findSyncOwners();
  }

  // The source's sync entries are numbered by the streams' old identifiers:
  // the first catalogued stream of each number owns its entry.
  void findSyncOwners() {
    owners_.audio.fill(-1);
    owners_.subpicture.fill(-1);
    for (StreamKind kind : {StreamKind::Audio, StreamKind::Subpicture}) {
      const std::span<int16_t> owners = kind == StreamKind::Audio
                                            ? std::span<int16_t>(owners_.audio)
                                            : std::span<int16_t>(owners_.subpicture);
      std::bitset<dsi::kSubpictureSyncEntries> taken;
      for (size_t slot = 0; slot < plan_.ids[kind].size(); ++slot) {
        const int32_t value = plan_.ids[kind][slot];
        const StreamRange* range = rangeOfCatalogued(kind, value);
        if (!range) continue;
        const size_t number = size_t(value) % owners.size();
        if (taken.test(number)) continue;
        taken.set(number);
        if (plan_.keep[kind][slot]) owners[number] = numbers_.apply(range->space, uint8_t(value));
      }
    }
  }

  const RebuildPlan& plan_;
  RebuildRun& run_;
  Renumbering& numbers_;
  Host& host_;
  PackStream pack_;
  uint8_t newId_ = 0;
  bool dsiFound_ = false;
  bool withoutBox_ = false;
  SyncOwners owners_{};
};

}  // namespace

int RebuildPlan::kept(StreamKind kind) const {
  return int(std::ranges::count(keep[kind], true));
}

int RebuildPlan::keptTotal() const {
  return kept(StreamKind::Video) + kept(StreamKind::Audio) + kept(StreamKind::Subpicture);
}

RebuildPlan planFromWorkspace(const Workspace& ws) {
  const ProcessingState& state = ws.session.state;
  RebuildPlan plan;
  plan.ids = state.catalogue();
  plan.keep = ws.boxes.selection();
  // A ticked box counts only when its slot holds a stream.
  for (StreamKind kind : kStreamKinds)
    for (size_t slot = 0; slot < plan.keep[kind].size(); ++slot)
      plan.keep[kind][slot] = plan.keep[kind][slot] && plan.ids[kind][slot] >= 0;
  plan.keepAdvanced = ws.options.rebuildAdvanced;
  plan.angle = ws.session.options.angle;
  plan.firstVideoPtm = state.FirstVideoPtm;
  plan.lastVideoPtm = state.LastVideoPtm;
  return plan;
}

void RebuildRun::meetWithoutBox(const StreamRange& range, uint8_t id, const std::string& file,
                                int64_t position) {
  auto& seen = metWithoutBox[size_t(range.space)];
  if (seen.test(id)) return;
  seen.set(id);
  notWritten.push_back({{range.kind, range.slotOf(id), id, range.codec}, file, position, std::nullopt});
}

void Renumbering::reset() {
  for (auto& space : map) space.fill(kNone);
  counters.fill(0);
}

void assignNumbers(const RebuildPlan& plan, Renumbering& numbers, Host& host) {
  for (StreamKind kind : kStreamKinds) numberKind(kind, plan, numbers, host);
}

namespace {

// One file's copy. Whole chunks are read for speed; each 2,048-byte piece is
// then handled exactly as if it had been read on its own. Kept packs that
// follow each other are written as one run, straight from the chunk.
class RebuildPass {
 public:
  RebuildPass(Workspace& ws, InputFile& in, const RebuildPlan& plan, RebuildRun& run,
              OutputFile& out)
      : state_(ws.session.state),
        host_(ws.host),
        in_(in),
        out_(out),
        run_(run),
        rewriter_(plan, run, ws.host),
        angles_(plan.angle, ws.host, &state_.BlocksWithoutAngle),
        progress_(in.size()),
        name_(fileNamePart(in.path())),
        buffer_(state_.ChunkBuffer.get()),
        position_(in.position()) {}

  void run() {
    // Before each chunk the run may be held while the user is asked
    // whether to stop; a cancel is read there and before each pack.
    while (position_ < in_.size() && !state_.stopAtChunk()) {
      const auto want = size_t(std::min<int64_t>(int64_t(kChunkSize), in_.size() - position_));
      const size_t got = in_.read(buffer_, want);
      if (got == 0) break;  // the file shrank under us
      copyChunk(got);
    }
    angles_.finish();
  }

 private:
  bool cancelled() const { return state_.CancelRequested; }

  void copyChunk(size_t got) {
    runStart_ = 0;
    runLength_ = 0;
    for (size_t at = 0; at < got && !cancelled(); at += kPackSize) {
      const size_t n = std::min(kPackSize, got - at);
      if (packKept(buffer_ + at, n)) {
        if (runLength_ == 0) runStart_ = at;
        runLength_ += n;
      } else {
        writeRun();
      }
    }
    writeRun();
  }

  void writeRun() {
    if (runLength_ > 0) out_.write(buffer_ + runStart_, runLength_);
    runLength_ = 0;
  }

  // Writes a whole pack over output byte `at`: into the run not yet
  // written when it lies there, so that runs stay whole, else into the file.
  void rewrite(int64_t at, const uint8_t* pack, size_t size) {
    const int64_t pending = run_.outputBytes - int64_t(runLength_);
    if (at >= pending)
      std::memcpy(buffer_ + runStart_ + size_t(at - pending), pack, size);
    else
      out_.writeAt(at, pack, size);
  }

  // `n` bytes of the pack at `p` came from the file.
  bool packKept(uint8_t* p, size_t n) {
    // A short last piece must not see bytes of an earlier pack.
    if (n < kPackSize) std::memset(p + n, 0, kPackSize - n);
    position_ += int64_t(n);
    if (PassProgress::due(position_)) {
      host_.slog("Rebuilding " + name_ + " " + progress_.text(position_), 1);
      host_.pump();
    }
    // Packs of the other angles of a block are passed over as if absent:
    // the kept angle's units are counted without them.
    if (!angles_.keepPack(p)) return false;
    const bool kept = rewriter_.process(p);
    if (rewriter_.withoutBox()) run_.meetWithoutBox(*rewriter_.range(), rewriter_.id(), in_.path(), position_ - int64_t(n));
    if (rewriter_.navigation()) {
      // The unit before ends here: its navigation pack is written again.
      if (const uint8_t* nav = run_.unit.complete()) rewrite(run_.unit.at(), nav, run_.unit.size());
      if (kept && rewriter_.dsiFound()) run_.unit.open(p, n, run_.outputBytes, rewriter_.owners());
    } else {
      run_.unit.pack(kept, rewriter_.range(), rewriter_.newId());
    }
    if (kept) run_.outputBytes += int64_t(n);
    return kept;
  }

  ProcessingState& state_;
  Host& host_;
  InputFile& in_;
  OutputFile& out_;
  RebuildRun& run_;
  PackRewriter rewriter_;
  AngleFilter angles_;
  const PassProgress progress_;
  const std::string name_;
  uint8_t* const buffer_;
  int64_t position_;
  size_t runStart_ = 0;
  size_t runLength_ = 0;
};

}  // namespace

void Rebuild(Workspace& ws, InputFile& in, const RebuildPlan& plan, RebuildRun& run,
             OutputFile& out) {
  CancelButtonOn cancelButton(ws.host);
  ws.session.state.CancelRequested = false;
  RebuildPass(ws, in, plan, run, out).run();
}

void finishRebuild(RebuildRun& run, OutputFile& out) {
  run.unit.close(out);
}

}  // namespace vantrel
