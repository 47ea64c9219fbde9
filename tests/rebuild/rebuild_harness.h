#pragma once

// Test titles made of real packs, a walker that reads a rebuilt file back,
// and a workspace whose catalogue looks as a Read EVO would leave it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "workspace/workspace.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/ps_builder.h"

namespace vantrel::testing {

using psmux::Bytes;


// A title built pack by pack. Every pack gets its index as SCR, and its
// payload is filled with that index, so a walker can tell which source
// packs survived and whether their bytes did.
class Title {
 public:
  Title& nav(const psmux::Navigation& navigation);
  Title& nav();  // bounds 3/1, distinct times, every sync entry nonzero
  Title& video(uint8_t streamId);
  Title& vc1(uint8_t extension, bool withDts = false, bool pstd = false);
  Title& audio(uint8_t substream);
  Title& subpicture(uint8_t substream);
  Title& mpegAudio(uint8_t streamId);
  Title& advanced();
  Title& copyControl();
  Title& raw(const Bytes& bytes);
  // `count` groups of: video E0, audio 88, 89, 8A, subpicture 20, 21.
  Title& filler(int count);

  const Bytes& bytes() const { return bytes_; }
  uint64_t packs() const { return serial_; }

 private:
  Title& add(const Bytes& pack);
  Bytes bytes_;
  uint64_t serial_ = 0;
};

// One pack read back: the SCR it was built with and its identifiers.
struct WalkedPack {
  uint64_t scr = 0;
  uint8_t streamId = 0;   // byte 17: BB for a navigation pack
  int substream = -1;     // BD substream, FD extension or BF first payload byte
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};

std::vector<WalkedPack> walk(const Bytes& file);
// "N E0 88 89 V55 20 ADV BF C0 ?": one token per pack.
std::string summary(const Bytes& file);
// The SCRs of the packs, in file order.
std::vector<uint64_t> scrs(const Bytes& file);

// A workspace whose catalogue holds the given identifiers in their slots,
// with the boxes ticked as a Read EVO leaves them.
struct RebuildHarness {
  RebuildHarness();
  RecordingDriverHost host;
  Workspace ws{host};
  TempDir dir;

  // Sets the source and the catalogue "a Read EVO of it" produced.
  void scanned(const std::string& source, const std::vector<uint8_t>& ids,
               uint32_t firstPtm = 0x1000, uint32_t lastPtm = 0x2000);
};

}  // namespace vantrel::testing
