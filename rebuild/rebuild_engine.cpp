#include "rebuild/rebuild_engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>

#include "common/path_rules.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

// Offsets in a 2,048-byte HD DVD pack.
constexpr size_t kStreamIdAt = 17;        // first packet after the 14-byte pack header
constexpr size_t kPesFlagsAt = 21;        // PTS_DTS_flags in bits 7-6
constexpr size_t kPesHeaderLengthAt = 22;
constexpr size_t kPesHeaderDataAt = 23;
constexpr size_t kPrivate2PayloadAt = 20;
constexpr size_t kAudioBoundAt = 23;      // system header: audio_bound in bits 7-2
constexpr size_t kVideoBoundAt = 24;      // system header: video_bound in bits 4-0
constexpr size_t kDsiPacketAt = 1287;
constexpr size_t kDsiStartPtmAt = 1338;
constexpr size_t kDsiEndPtmAt = 1342;
constexpr size_t kDsiAudioSyncAt = 1824;  // 8 entries of 2 bytes
constexpr size_t kDsiSubpictureSyncAt = 1840;  // 32 entries of 4 bytes
constexpr int kAudioSyncEntries = 8;
constexpr int kSubpictureSyncEntries = 32;

// Every HD DVD pack header carries this mux rate and no stuffing.
constexpr uint8_t kHdDvdMuxRate[4] = {0x04, 0x9D, 0x43, 0xF8};
// 01 BF, length 755, substream 01: the DSI packet of a navigation pack.
constexpr uint8_t kDsiHeader[5] = {0x01, stream_id::kPrivateStream2, 0x02, 0xF3,
                                   private2::kNavigation};

constexpr int64_t kMiB = 1'048'576;
constexpr int64_t kProgressStep = 4 * kMiB;

bool startsWithPackHeader(const uint8_t* p) {
  return p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == stream_id::kPackHeader;
}

bool isVideoStreamId(uint8_t s) { return classifyVideoStreamId(s).has_value(); }
bool isMpegAudioStreamId(uint8_t s) { return s >= stream_id::kMpegAudioFirst && s <= 0xDF; }
bool isSubpicture(uint8_t t) {
  return isSubpictureSubstream(t) || isExtendedSubpictureSubstream(t);
}

// Slots are searched from 0 up; the first slot holding the identifier decides
// which box counts. An identifier no slot holds is never dropped.
template <size_t N>
bool unticked(const std::array<int32_t, N>& ids, const std::array<bool, N>& keep, uint8_t id) {
  for (size_t slot = 0; slot < N; ++slot)
    if (ids[slot] == id) return !keep[slot];
  return false;
}

template <size_t N>
int countKept(const std::array<bool, N>& keep) {
  return int(std::count(keep.begin(), keep.end(), true));
}

void put32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}

enum class Kind { Video, Audio, Subpicture };

// The new identifier of the kept stream numbered `counter` within its kind.
// The counter replaces only the bits that number streams of one codec; when
// it does not fit them the result would name another codec: no result.
std::optional<uint8_t> renumbered(Kind kind, uint8_t id, int counter) {
  uint8_t familyBits = 0;
  int limit = 0;
  switch (kind) {
    case Kind::Video:
      if (classifyVc1Extension(id)) {
        if (counter > 1) return std::nullopt;
        return uint8_t(stream_id::kVc1ExtensionFirst + counter);
      }
      familyBits = 0xFE;
      limit = 1;
      break;
    case Kind::Audio:
      familyBits = (id & 0xF0) == 0xC0 ? 0xF0 : 0xF8;
      limit = familyBits == 0xF0 ? 15 : 7;
      break;
    case Kind::Subpicture:
      familyBits = 0xE0;
      limit = 31;
      break;
  }
  if (counter > limit) return std::nullopt;
  return uint8_t((id & familyBits) | counter);
}

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::Video:
      return "video";
    case Kind::Audio:
      return "audio";
    case Kind::Subpicture:
      break;
  }
  return "subpicture";
}

template <size_t N>
void numberKind(Kind kind, const std::array<int32_t, N>& ids, const std::array<bool, N>& keep,
                std::array<uint8_t, 256>& map, int& counter, Host& host) {
  for (size_t slot = 0; slot < N; ++slot) {
    if (!keep[slot] || ids[slot] < 0 || ids[slot] > 0xFF) continue;
    auto id = uint8_t(ids[slot]);
    if (map[id] != Renumbering::kNone) continue;
    if (auto fresh = renumbered(kind, id, counter)) {
      map[id] = *fresh;
    } else {
      map[id] = id;
      host.log("[re]Warning:[/re] " + std::string(kindName(kind)) + " stream " + hex2(id) +
               " keeps its identifier: as kept stream " + std::to_string(counter) +
               " its number would leave the range of its codec.");
    }
    ++counter;
  }
}

// Per-pack work of one file. `p` holds 2,048 bytes of which the first `n`
// came from the file (the rest are zero); returns whether to write them.
class PackRewriter {
 public:
  PackRewriter(const RebuildPlan& plan, Renumbering& numbers, Host& host)
      : plan_(plan), numbers_(numbers), host_(host) {}

  bool process(uint8_t* p) {
    uint8_t s = 0;
    if (p[2] == 1 && p[3] == stream_id::kPackHeader && std::memcmp(p + 10, kHdDvdMuxRate, 4) == 0)
      s = p[kStreamIdAt];
    if (s == stream_id::kSystemHeader) rewriteNavigation(p);

    // The substream or extension identifier, and where it lies.
    size_t tAt = 0;
    if (s == stream_id::kPrivateStream1) {
      tAt = kPesHeaderDataAt + p[kPesHeaderLengthAt];
    } else if (s == stream_id::kPrivateStream2) {
      tAt = kPrivate2PayloadAt;
    } else if (s == stream_id::kExtendedStream) {
      // Of the optional PES fields only PTS, DTS and the PES extension are
      // taken to be present.
      size_t stamps = 5 * ((p[kPesFlagsAt] >> 6) & 1) + 5 * ((p[kPesFlagsAt] >> 7) & 1);
      size_t extensionFlagsAt = kPesHeaderDataAt + stamps;
      tAt = extensionFlagsAt + 2;
      if (p[extensionFlagsAt] & 0x10) tAt += 2;  // P-STD_buffer_flag
    }
    const uint8_t t = tAt ? p[tAt] : 0;

    if (dropped(s, t)) return false;

    if (s == stream_id::kPrivateStream1 || s == stream_id::kExtendedStream) {
      p[tAt] = numbers_.apply(t);
    } else if (isVideoStreamId(s) || isMpegAudioStreamId(s)) {
      p[kStreamIdAt] = numbers_.apply(s);
    }
    return startsWithPackHeader(p);
  }

 private:
  bool dropped(uint8_t s, uint8_t t) const {
    const Selection& keep = plan_.keep;
    if (s == stream_id::kPrivateStream1) {
      if (classifyAudioSubstream(t)) return unticked(plan_.audio, keep.audio, t);
      if (isSubpicture(t)) return unticked(plan_.subpicture, keep.subpicture, t);
      return false;
    }
    if (s == stream_id::kExtendedStream)
      return classifyVc1Extension(t) && unticked(plan_.video, keep.video, t);
    if (isVideoStreamId(s)) return unticked(plan_.video, keep.video, s);
    if (isMpegAudioStreamId(s)) return unticked(plan_.audio, keep.audio, s);
    if (s == stream_id::kPrivateStream2 && t == private2::kAdvancedContent)
      return !plan_.keepAdvanced;
    return false;
  }

  void rewriteNavigation(uint8_t* p) {
    const int video = plan_.keptVideo();
    const int audio = plan_.keptAudio();
    const int subpictures = plan_.keptSubpictures();
    p[kVideoBoundAt] = uint8_t((p[kVideoBoundAt] & 0xE0) | (video & 0x1F));
    p[kAudioBoundAt] = uint8_t((p[kAudioBoundAt] & 0x03) | ((audio & 0x3F) << 2));
    assignNumbers(plan_, numbers_, host_);

    if (std::memcmp(p + kDsiPacketAt + 2, kDsiHeader, sizeof kDsiHeader) != 0) return;
    put32(p + kDsiStartPtmAt, plan_.firstVideoPtm);
    put32(p + kDsiEndPtmAt, plan_.lastVideoPtm);
    // Synchronisation entries of streams that no longer exist.
    for (int i = audio; i < kAudioSyncEntries; ++i)
      std::memset(p + kDsiAudioSyncAt + 2 * size_t(i), 0, 2);
    for (int i = subpictures; i < kSubpictureSyncEntries; ++i)
      std::memset(p + kDsiSubpictureSyncAt + 4 * size_t(i), 0, 4);
  }

  const RebuildPlan& plan_;
  Renumbering& numbers_;
  Host& host_;
};

}  // namespace

int RebuildPlan::keptVideo() const { return countKept(keep.video); }
int RebuildPlan::keptAudio() const { return countKept(keep.audio); }
int RebuildPlan::keptSubpictures() const { return countKept(keep.subpicture); }

RebuildPlan planFromWorkspace(const Workspace& ws) {
  const ProcessingState& state = ws.session.state;
  RebuildPlan plan;
  plan.video = state.VideoStreamId;
  plan.audio = state.AudioStreamId;
  plan.subpicture = state.SubpictureStreamId;
  plan.keep = ws.boxes.selection();
  // A ticked box counts only when its slot holds a stream.
  for (int i = 0; i < kVideoSlots; ++i) plan.keep.video[i] = plan.keep.video[i] && plan.video[i] >= 0;
  for (int i = 0; i < kAudioSlots; ++i) plan.keep.audio[i] = plan.keep.audio[i] && plan.audio[i] >= 0;
  for (int i = 0; i < kSubpictureSlots; ++i)
    plan.keep.subpicture[i] = plan.keep.subpicture[i] && plan.subpicture[i] >= 0;
  plan.keepAdvanced = ws.options.rebuildAdvanced;
  plan.firstVideoPtm = state.FirstVideoPtm;
  plan.lastVideoPtm = state.LastVideoPtm;
  return plan;
}

void Renumbering::reset() {
  map.fill(kNone);
  videoCount = audioCount = subpictureCount = 0;
}

void assignNumbers(const RebuildPlan& plan, Renumbering& numbers, Host& host) {
  numberKind(Kind::Video, plan.video, plan.keep.video, numbers.map, numbers.videoCount, host);
  numberKind(Kind::Audio, plan.audio, plan.keep.audio, numbers.map, numbers.audioCount, host);
  numberKind(Kind::Subpicture, plan.subpicture, plan.keep.subpicture, numbers.map,
             numbers.subpictureCount, host);
}

void Rebuild(Workspace& ws, const RebuildPlan& plan, Renumbering& numbers, OutputFile& out) {
  ProcessingState& state = ws.session.state;
  InputFile& in = *state.InputStream;
  Host& host = ws.host;

  struct CancelButton {
    Host& host;
    explicit CancelButton(Host& h) : host(h) { host.setCancelEnabled(true); }
    ~CancelButton() { host.setCancelEnabled(false); }
  } cancelButton(host);
  state.CancelRequested = false;
  const auto started = std::chrono::steady_clock::now();
  const std::string name = fileNamePart(in.path());

  PackRewriter rewriter(plan, numbers, host);
  uint8_t* buffer = state.ChunkBuffer.get();
  const int64_t size = in.size();
  int64_t position = in.position();

  // Whole chunks are read for speed; each 2,048-byte piece is then handled
  // exactly as if it had been read on its own. Kept packs that follow each
  // other are written as one run, straight from the chunk.
  while (position < size && !state.stopAtChunk()) {
    size_t want = size_t(std::min<int64_t>(int64_t(kChunkSize), size - position));
    size_t got = in.read(buffer, want);
    if (got == 0) break;  // the file shrank under us
    size_t runStart = 0;
    size_t runLength = 0;
    for (size_t at = 0; at < got; at += kPackSize) {
      if (state.CancelRequested) break;
      uint8_t* p = buffer + at;
      size_t n = std::min(kPackSize, got - at);
      // A short last piece must not see bytes of an earlier pack.
      if (n < kPackSize) std::memset(p + n, 0, kPackSize - n);
      position += int64_t(n);

      if (position % kProgressStep == 0) {
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        double remaining = elapsed * double(size) / double(position) - elapsed + 1.0;
        host.slog("Rebuilding " + name + " " + std::to_string(position / kMiB) + "/" +
                      std::to_string(size / kMiB) + " Mbytes, Remaining time: " +
                      timeOfDayText(remaining),
                  1);
        host.pump();
      }

      if (rewriter.process(p)) {
        if (runLength == 0) runStart = at;
        runLength += n;
      } else if (runLength > 0) {
        out.write(buffer + runStart, runLength);
        runLength = 0;
      }
    }
    if (runLength > 0) out.write(buffer + runStart, runLength);
  }
}

}  // namespace vantrel
