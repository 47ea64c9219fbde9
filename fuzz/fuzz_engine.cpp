// The pack-stream engine over arbitrary bytes, in scan and demux mode, with
// arbitrary chunk splits. Each chunk ends where its heap block ends, so that
// a read past the loaded bytes is caught. Demux writes through the file layer into
// memory files; payload and ".sup" records can never add up to more bytes
// than the input held (every record header stands for a longer PES header).
#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "tests/support/recording_host.h"
#include "engine/program_stream.h"
#include "engine/pack_parser.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/memory_file.h"

using namespace vantrel;

namespace {
constexpr int kOutputs = kVideoSlots + kAudioSlots + kSubpictureSlots;
constexpr size_t kMaxChunk = 4096;

// The kind and slot of output i: video, then audio, then subpictures.
std::pair<StreamKind, size_t> slotOf(int i) {
  if (i < kVideoSlots) return {StreamKind::Video, size_t(i)};
  if (i < kVideoSlots + kAudioSlots) return {StreamKind::Audio, size_t(i - kVideoSlots)};
  return {StreamKind::Subpicture, size_t(i - kVideoSlots - kAudioSlots)};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::array<fuzz::MemoryFile, kOutputs> files;
  fuzz::FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const size_t chunkSize = 1 + in.word() % kMaxChunk;
  const uint64_t ticks = uint64_t(in.word()) << 16 | in.word();
  // One session for every run (its chunk buffer is large); what a driver
  // run resets is reset here.
  static RecordingHost host;
  static Session session(host);
  host.lines.clear();
  ProcessingState& st = session.state;
  st.resetCatalogue();
  st.FrameCount = {0, 0};
  st.VideoFrameRate = {0, 0};
  st.FirstVideoPtm = st.LastVideoPtm = 0;
  st.TitleDuration = st.FileDuration = 0;
  session.options.details = flags & 1;
  session.options.countFrames = flags & 2;
  session.options.fileKind = FileKind((flags >> 2) % 3);
  const EngineMode mode = (flags & 0x20) ? DemuxMode : ScanMode;
  st.MinFirstPts = (flags & 0x40) ? kNoFirstPts : 1000;

  if (auto counts = parseSystemHeader({in.data(), in.size()})) describeSystemHeader(*counts);

  std::array<std::unique_ptr<OutputFile>, kOutputs> outputs;
  std::array<bool, kOutputs> ticked{};
  PayloadTargets targets;
  if (mode == DemuxMode) {
    // Which boxes are ticked comes from the input; each ticked slot gets an
    // output, and so does every third unticked one (it must stay empty). The
    // engine is handed only the ticked ones, as the demux driver does.
    auto& sel = session.options.selection;
    for (int i = 0; i < kOutputs; ++i) {
      const bool tick = (flags & 0x80) || (ticks >> (i % 32) & 1);
      const auto [kind, slot] = slotOf(i);
      ticked[size_t(i)] = tick;
      sel[kind][slot] = tick;
      files[size_t(i)].assign(nullptr, 0);
      if (tick || i % 3 == 0) outputs[size_t(i)] = OutputFile::create(files[size_t(i)].path());
      if (tick) targets[kind][slot] = outputs[size_t(i)].get();
    }
  }
  static const std::unique_ptr<uint8_t[]> block(new uint8_t[kMaxChunk]);
  PackParser parser(session, mode, targets);
  for (size_t at = 0; at < in.size(); at += chunkSize) {
    size_t n = std::min(chunkSize, in.size() - at);
    uint8_t* chunk = block.get() + kMaxChunk - n;
    std::copy(in.data() + at, in.data() + at + n, chunk);
    parser.parseChunk(chunk, n);
  }
  if (mode == DemuxMode) {
    int64_t handed = 0;
    for (auto& out : outputs) {
      if (!out) continue;
      handed += out->bytesWritten();
      out->close();
    }
    int64_t stored = 0;
    for (size_t i = 0; i < files.size(); ++i) {
      stored += files[i].size();
      if (!ticked[i] && files[i].size() != 0) std::abort();
    }
    if (stored != handed || stored > int64_t(in.size())) std::abort();
  }
  return 0;
}
