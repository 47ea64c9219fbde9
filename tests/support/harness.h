#pragma once

// Runs the program's parts over test titles and remembers what they said:
// single engine passes with outputs made by hand, the operations of the
// window, and a catalogue set up as a Read EVO would leave it.

#include <memory>
#include <string>
#include <vector>

#include "drivers/operations.h"
#include "engine/demux.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/title_builder.h"

namespace vantrel::testing {

struct Harness {
  Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  RecordingDriverHost host;
  Workspace ws{host};
  Session& session = ws.session;
  TempDir dir;

  std::string write(const std::string& name, const Bytes& bytes) { return dir.write(name, bytes); }
  // Writes a source file under dir and chooses it as the window would.
  std::string source(const std::string& relativePath, const Bytes& bytes);
  void choose(const std::string& path);

  // One engine pass over a file, as the drivers run it (timing values reset
  // as Read EVO resets them when `freshRun`). A demux pass writes to
  // `targets`, or to the outputs of the selected slots made with create().
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

  // Read EVO and the follow-up the window starts after it; Demux.
  void readEvo();
  void demux() { demuxTitle(ws); }

  // Sets the source and the catalogue "a Read EVO of it" produced, with the
  // boxes ticked as Read EVO leaves them.
  void scanned(const std::string& source, const std::vector<uint8_t>& ids,
               uint32_t firstPtm = 0x1000, uint32_t lastPtm = 0x2000);

  const std::vector<std::string>& lines() const { return host.lines; }
  bool logged(const std::string& line) const { return indexOf(line) >= 0; }
  int countLogged(const std::string& line) const;
  int indexOf(const std::string& line) const;  // -1 when not logged
};

// Engine passes: no details, whole files.
struct Engine : Harness {
  Engine() { session.options.details = false; }
};

// The operations, writing into the harness's folder.
struct Driver : Harness {
  Driver() { ws.options.workdir = dir.path(); }
};

// Rebuild runs, where a cancel question is answered Yes.
struct RebuildHarness : Driver {
  RebuildHarness() { host.defaultAnswer = true; }
};

// Feeds the parser the title in chunks of `chunkSize` bytes (any size, the
// way a file of partial packs would arrive) and returns the log.
std::vector<std::string> scanInChunks(const Bytes& title, size_t chunkSize, Session& session);

}  // namespace vantrel::testing
