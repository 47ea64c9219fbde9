#pragma once

#include <string>
#include <vector>

#include "tests/support/recording_host.h"
#include "engine/demux.h"
#include "engine/pack_parser.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;

// Builds a title pack by pack.
struct Title {
  psmux::Layout layout = psmux::Layout::HdDvd;
  uint64_t scr = 0;
  Bytes bytes;

  void add(const Bytes& pack) {
    psmux::append(bytes, pack);
    scr += 300;
  }
  void nav(const psmux::Navigation& n) { add(psmux::navigationPack(scr, n, layout)); }
  void pes(const psmux::Pes& p) { add(psmux::packWithPes(scr, p, nullptr, layout)); }
  void video(uint8_t streamId, std::optional<uint64_t> pts, const Bytes& es) {
    psmux::Pes p;
    p.streamId = streamId;
    p.pts = pts;
    p.payload = es;
    pes(p);
  }
  void audio(uint8_t id, std::optional<uint64_t> pts, const Bytes& data) {
    psmux::Pes p;
    p.streamId = 0xBD;
    p.pts = pts;
    p.payload = psmux::audioSubstreamHeader(id);
    psmux::append(p.payload, data);
    pes(p);
  }
  void subpicture(uint8_t id, std::optional<uint64_t> pts, const Bytes& data) {
    psmux::Pes p;
    p.streamId = 0xBD;
    p.pts = pts;
    p.payload = psmux::subpictureSubstreamHeader(id);
    psmux::append(p.payload, data);
    pes(p);
  }
  // Pads with padding packs up to `size` bytes (a multiple of 2048).
  void padTo(size_t size) {
    while (bytes.size() < size) add(psmux::pack(scr, {}, layout));
  }
};

// MPEG-2 video bytes holding `pictures` picture start codes.
Bytes mpeg2Pictures(int pictures);

// Runs the engine over files and remembers what it said.
struct Engine {
  RecordingHost host;
  Session session{host};
  TempDir dir;

  Engine() {
    session.options.details = false;
    session.options.fastCheck = false;
  }

  std::string write(const std::string& name, const Bytes& bytes) { return dir.write(name, bytes); }

  // One pass over a file, as the drivers run it (timing values reset as
  // Read EVO resets them when `freshRun`). A demux pass writes to `targets`,
  // or to the outputs of the selected slots made with create().
  void pass(const std::string& path, EngineMode mode, bool freshRun = true,
            const PayloadTargets* targets = nullptr);
  void scan(const std::string& path) { pass(path, ScanMode); }

  // Creates an output for every slot (named out("v0"), out("a3"), ...)
  // and runs a demux pass.
  void demuxAll(const std::string& path);
  std::string out(const std::string& slotName) const { return dir.file("out." + slotName); }

  // The output of a slot, as the demux driver creates it, at `path`.
  void create(StreamKind kind, int slot, const std::string& path);
  // The outputs of the selected slots, as the demux driver hands them on.
  PayloadTargets targets() const;
  void closeOutputs();
  PerKind<std::unique_ptr<OutputFile>> outputs;

  bool logged(const std::string& line) const;
  int countLogged(const std::string& line) const;
};

// Feeds the parser the title in chunks of `chunkSize` bytes (any size, the
// way a file of partial packs would arrive) and returns the log.
std::vector<std::string> scanInChunks(const Bytes& title, size_t chunkSize, Session& session);

}  // namespace vantrel::testing
