// The pack-stream engine over arbitrary bytes, in scan and demux mode, with
// arbitrary chunk splits. Each chunk is a buffer of its own, so that a read
// past the loaded bytes is caught.
#include <vector>

#include "common/recording_host.h"
#include "engine/pack_parser.h"
#include "fuzz/fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const size_t chunkSize = 1 + in.word() % 4096;
  RecordingHost host;
  Session session(host);
  session.options.details = flags & 1;
  session.options.countFrames = flags & 2;
  session.options.fileKind = FileKind((flags >> 2) % 3);
  const EngineMode mode = (flags & 0x20) ? DemuxMode : ScanMode;
  session.state.MinFirstPts = (flags & 0x40) ? kNoFirstPts : 1000;
  if (mode == DemuxMode) {
    // Every slot ticked, all writing to /dev/null.
    auto& st = session.state;
    auto& sel = session.options.selection;
    sel.video.fill(true);
    sel.audio.fill(true);
    sel.subpicture.fill(true);
    for (auto& out : st.VideoOut) out = OutputFile::create("/dev/null");
    for (auto& out : st.AudioOut) out = OutputFile::create("/dev/null");
    for (auto& out : st.SubpictureOut) out = OutputFile::create("/dev/null");
  }
  PackParser parser(session, mode);
  for (size_t at = 0; at < in.size(); at += chunkSize) {
    size_t n = std::min(chunkSize, in.size() - at);
    std::vector<uint8_t> chunk(in.data() + at, in.data() + at + n);
    parser.parseChunk(chunk.data(), chunk.size());
  }
  session.state.closeOutputs();
  return 0;
}
