#pragma once

#include <string>
#include <vector>

#include "common/path_rules.h"
#include "common/recording_host.h"
#include "drivers/operations.h"
#include "drivers/source_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;

// RecordingHost is not a DriverHost; this adapter makes one out of it.
class TestHost : public DriverHost {
 public:
  void log(std::string_view line) override { rec.log(line); }
  void slog(std::string_view text, int panel) override { rec.slog(text, panel); }
  void clearLog() override { rec.clearLog(); }
  void pump() override { rec.pump(); }
  bool askYesNo(std::string_view q) override { return rec.askYesNo(q); }
  void showPage(int index) override { rec.showPage(index); }
  void setCancelEnabled(bool enabled) override { rec.setCancelEnabled(enabled); }
  void controlsChanged(const StreamBoxes& b, const OperationButtons& o) override {
    boxes = b;
    buttons = o;
  }
  RecordingHost rec;
  StreamBoxes boxes;
  OperationButtons buttons;
};

// A title file of a few packs: MPEG-2 video on E0, AC-3 on 80 and a
// subpicture on 22, each payload tagged with `tag` so that files can be told
// apart in the outputs.
Bytes smallTitle(uint8_t tag, int videoPacks = 2, uint32_t firstPtm = 90000);

struct Driver {
  TestHost host;
  Workspace ws{host};
  TempDir dir;

  Driver() {
    ws.session.options.fastCheck = false;
    ws.options.workdir = dir.path();
  }

  // Writes a source file under dir and chooses it as the window would.
  std::string source(const std::string& relativePath, const Bytes& bytes) {
    std::string path = dir.write(relativePath, bytes);
    choose(path);
    return path;
  }
  void choose(const std::string& path) {
    ws.paths.eEVOfile = path;
    EVOadj(ws.paths, ws.buttons);
  }
  void readEvo() { bReadEVOClick(ws); }
  void demux() { bDemuxClick(ws); }
  const std::vector<std::string>& lines() const { return host.rec.lines; }
  bool logged(const std::string& line) const;
  // Index of a line, or -1.
  int indexOf(const std::string& line) const;
};

}  // namespace vantrel::testing
