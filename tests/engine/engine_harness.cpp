#include "tests/engine/engine_harness.h"

#include <algorithm>

namespace vantrel::testing {

Bytes mpeg2Pictures(int pictures) {
  Bytes es{0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0, 0x24, 0xFF, 0xFF, 0xE0, 0x00};
  for (int i = 0; i < pictures; ++i) psmux::append(es, {0x00, 0x00, 0x01, 0x00, 0x00, 0x0F, 0xFF, 0xF8, 0x12, 0x34});
  return es;
}

void Engine::pass(const std::string& path, EngineMode mode, bool freshRun) {
  ProcessingState& st = session.state;
  if (freshRun && mode == ScanMode) {
    st.FrameCount = {0, 0};
    st.MinFirstPts = kNoFirstPts;
    st.FirstVideoPtm = 0;
    st.TitleDuration = 0;
  }
  session.options.fileKind = fileKindOf(path);
  st.InputStream = InputFile::open(path);
  demux(session, mode);
  st.InputStream.reset();
}

std::vector<std::string> Engine::demuxAll(const std::string& path) {
  std::vector<std::string> paths;
  ProcessingState& st = session.state;
  Selection& sel = session.options.selection;
  for (int i = 0; i < kVideoSlots; ++i) {
    sel.video[i] = true;
    st.VideoOut[i] = OutputFile::create(out("v" + std::to_string(i)));
  }
  for (int i = 0; i < kAudioSlots; ++i) {
    sel.audio[i] = true;
    st.AudioOut[i] = OutputFile::create(out("a" + std::to_string(i)));
  }
  for (int i = 0; i < kSubpictureSlots; ++i) {
    sel.subpicture[i] = true;
    st.SubpictureOut[i] = OutputFile::create(out("s" + std::to_string(i)));
  }
  st.FrameCount = {0, 0};
  pass(path, DemuxMode, false);
  st.closeOutputs();
  return paths;
}

bool Engine::logged(const std::string& line) const { return countLogged(line) > 0; }

int Engine::countLogged(const std::string& line) const {
  return int(std::count(host.lines.begin(), host.lines.end(), line));
}

std::vector<std::string> scanInChunks(const Bytes& title, size_t chunkSize, Session& session) {
  auto* host = dynamic_cast<RecordingHost*>(&session.host);
  host->lines.clear();
  session.state.resetCatalogue();
  session.state.FrameCount = {0, 0};
  PackParser parser(session, ScanMode);
  // Each chunk is copied into its own buffer so that reading past a chunk
  // shows up under AddressSanitizer.
  for (size_t at = 0; at < title.size(); at += chunkSize) {
    size_t n = std::min(chunkSize, title.size() - at);
    std::vector<uint8_t> chunk(title.begin() + long(at), title.begin() + long(at + n));
    parser.parseChunk(chunk.data(), chunk.size());
  }
  return host->lines;
}

}  // namespace vantrel::testing
