#include "tests/support/harness.h"

#include <algorithm>

#include "engine/pack_parser.h"
#include "workspace/source_paths.h"

namespace vantrel::testing {

Harness::Harness() { session.options.fastCheck = false; }

std::string Harness::source(const std::string& relativePath, const Bytes& bytes) {
  std::string path = dir.write(relativePath, bytes);
  choose(path);
  return path;
}

void Harness::choose(const std::string& path) {
  ws.paths.eEVOfile = path;
  EVOadj(ws.paths, ws.buttons);
}

void Harness::pass(const std::string& path, EngineMode mode, bool freshRun,
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
  vantrel::demux(session, mode, *in, given ? *given : targets());
}

void Harness::demuxAll(const std::string& path) {
  for (StreamKind kind : kStreamKinds) {
    const char letter = "vas"[size_t(kind)];
    for (size_t slot = 0; slot < session.options.selection[kind].size(); ++slot) {
      session.options.selection[kind][slot] = true;
      create(kind, int(slot), out(letter + std::to_string(slot)));
    }
  }
  session.state.FrameCount = {0, 0};
  pass(path, DemuxMode, false);
  closeOutputs();
}

void Harness::create(StreamKind kind, int slot, const std::string& path) {
  outputs[kind][size_t(slot)] = OutputFile::create(path);
}

PayloadTargets Harness::targets() const {
  PayloadTargets t;
  for (StreamKind kind : kStreamKinds)
    for (size_t slot = 0; slot < t[kind].size(); ++slot)
      if (session.options.selection[kind][slot]) t[kind][slot] = outputs[kind][slot].get();
  return t;
}

void Harness::closeOutputs() {
  for (StreamKind kind : kStreamKinds)
    for (auto& out : outputs[kind])
      if (out) {
        out->close();
        out.reset();
      }
}

void Harness::readEvo() {
  scanTitle(ws);
  if (ws.options.autoDemux) demuxTitle(ws);
}

void Harness::scanned(const std::string& source, const std::vector<uint8_t>& ids, uint32_t firstPtm,
                      uint32_t lastPtm) {
  choose(source);
  ProcessingState& state = session.state;
  state.resetCatalogue();
  for (uint8_t id : ids)
    for (const StreamRange& range : kStreamRanges)
      if (range.holds(id)) state.streamIds(range.kind)[size_t(range.slotOf(id))] = id;
  LabelStreamBoxes(ws.boxes, state.catalogue());
  state.FirstVideoPtm = firstPtm;
  state.LastVideoPtm = lastPtm;
  ws.catalogueOrigin = CatalogueOrigin::ReadEvo;
  ws.catalogueSource = source;
}

int Harness::countLogged(const std::string& line) const {
  return int(std::count(lines().begin(), lines().end(), line));
}

int Harness::indexOf(const std::string& line) const {
  auto at = std::find(lines().begin(), lines().end(), line);
  return at == lines().end() ? -1 : int(at - lines().begin());
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
