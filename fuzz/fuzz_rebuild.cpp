// The rebuild engine over arbitrary bytes with an arbitrary catalogue and
// choice of streams, through the file layer into a memory file. A rebuild
// only drops or rewrites packs: it never writes more than it read.
#include <array>

#include "tests/support/recording_host.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/memory_file.h"
#include "rebuild/rebuild_engine.h"

using namespace vantrel;

namespace {
using QuietHost = BasicRecordingHost<DriverHost>;

// Identifiers a catalogue slot can hold, and -1 for an empty slot.
constexpr std::array<int32_t, 8> kVideoIds = {-1, 0xE0, 0xE1, 0xE2, 0xE3, 0x55, 0x56, 0xC0};
constexpr std::array<int32_t, 16> kAudioIds = {-1,   0x80, 0x87, 0x88, 0x8F, 0xA0, 0xA1, 0xA7,
                                               0xB0, 0xB7, 0xC0, 0xC8, 0xCF, 0xC3, 0x81, 1};
constexpr std::array<int32_t, 8> kSubpictureIds = {-1, 0x20, 0x21, 0x3F, 0x60, 0x61, 0x7F, 0x22};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile source, rebuilt;
  fuzz::FuzzInput in(data, size);
  RebuildPlan plan;
  for (auto& id : plan.ids.video) id = kVideoIds[in.byte() % kVideoIds.size()];
  for (auto& id : plan.ids.audio) id = kAudioIds[in.byte() % kAudioIds.size()];
  for (auto& id : plan.ids.subpicture) id = kSubpictureIds[in.byte() % kSubpictureIds.size()];
  const uint8_t flags = in.byte();
  const uint64_t keep = uint64_t(in.word()) << 32 | uint64_t(in.word()) << 16 | in.word();
  for (size_t i = 0; i < plan.keep.video.size(); ++i) plan.keep.video[i] = keep >> i & 1;
  for (size_t i = 0; i < plan.keep.audio.size(); ++i) plan.keep.audio[i] = keep >> (2 + i) & 1;
  for (size_t i = 0; i < plan.keep.subpicture.size(); ++i)
    plan.keep.subpicture[i] = keep >> (18 + i) & 1;
  plan.keepAdvanced = flags & 1;
  plan.firstVideoPtm = uint32_t(in.word()) << 16 | in.word();
  plan.lastVideoPtm = uint32_t(in.word()) << 16 | in.word();

  source.assign(in.data(), in.size());
  QuietHost host;
  Workspace ws(host);
  auto input = InputFile::open(source.path());
  auto out = OutputFile::create(rebuilt.path());
  RebuildRun run;
  assignNumbers(plan, run.numbers, host);
  Rebuild(ws, *input, plan, run, *out);
  finishRebuild(run, *out);
  out->close();
  if (rebuilt.size() > int64_t(in.size()) || rebuilt.size() != out->bytesWritten()) std::abort();
  return 0;
}
