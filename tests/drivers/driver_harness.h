#pragma once

#include <string>
#include <vector>

#include "common/path_rules.h"
#include "drivers/operations.h"
#include "workspace/source_paths.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;

// A title file of a few packs: MPEG-2 video on E0, AC-3 on 80 and a
// subpicture on 22, each payload tagged with `tag` so that files can be told
// apart in the outputs.
Bytes smallTitle(uint8_t tag, int videoPacks = 2, uint32_t firstPtm = 90000);

struct Driver {
  RecordingDriverHost host;
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
  // Read EVO and the follow-up the window starts after it.
  void readEvo() {
    scanTitle(ws);
    if (ws.options.autoDemux) demuxTitle(ws);
  }
  void demux() { demuxTitle(ws); }
  const std::vector<std::string>& lines() const { return host.lines; }
  bool logged(const std::string& line) const;
  // Index of a line, or -1.
  int indexOf(const std::string& line) const;
};

}  // namespace vantrel::testing
