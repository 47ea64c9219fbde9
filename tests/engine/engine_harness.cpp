#include "tests/engine/engine_harness.h"

#include <algorithm>

namespace vantrel::testing {

Bytes mpeg2Pictures(int pictures) {
  Bytes es{0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0, 0x24, 0xFF, 0xFF, 0xE0, 0x00};
  for (int i = 0; i < pictures; ++i) psmux::append(es, {0x00, 0x00, 0x01, 0x00, 0x00, 0x0F, 0xFF, 0xF8, 0x12, 0x34});
  return es;
}

void Engine::pass(const std::string& path, EngineMode mode, bool freshRun,
                  const PayloadTargets* given) {
  ProcessingState& st = session.state;
  if (freshRun && mode == ScanMode) {
    st.FrameCount = {0, 0};
    st.MinFirstPts = kNoFirstPts;
    st.FirstVideoPtm = 0;
    st.TitleDuration = 0;
  }
  session.options.fileKind = fileKindOf(path);
  const auto in = InputFile::open(path);
  demux(session, mode, *in, given ? *given : targets());
}

void Engine::create(StreamKind kind, int slot, const std::string& path) {
  outputs[kind][size_t(slot)] = OutputFile::create(path);
}

PayloadTargets Engine::targets() const {
  PayloadTargets t;
  for (StreamKind kind : kStreamKinds)
    for (size_t slot = 0; slot < t[kind].size(); ++slot)
      if (session.options.selection[kind][slot]) t[kind][slot] = outputs[kind][slot].get();
  return t;
}

void Engine::closeOutputs() {
  for (StreamKind kind : kStreamKinds)
    for (auto& out : outputs[kind])
      if (out) {
        out->close();
        out.reset();
      }
}

void Engine::demuxAll(const std::string& path) {
  ProcessingState& st = session.state;
  for (StreamKind kind : kStreamKinds) {
    const char letter = "vas"[size_t(kind)];
    for (size_t slot = 0; slot < session.options.selection[kind].size(); ++slot) {
      session.options.selection[kind][slot] = true;
      create(kind, int(slot), out(letter + std::to_string(slot)));
    }
  }
  st.FrameCount = {0, 0};
  pass(path, DemuxMode, false);
  closeOutputs();
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
