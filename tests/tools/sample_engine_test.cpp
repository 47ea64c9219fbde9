// The bundled sample as the program sees it: Read EVO catalogues every
// stream that the generator put in, in both files of the chain, and Demux
// gives back the elementary streams that the walk takes out.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/recording_host.h"
#include "drivers/operations.h"
#include "workspace/source_paths.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/pack_walker.h"

namespace vantrel::testing {
namespace {

const std::string kSamples = std::string(VANTREL_SOURCE_DIR) + "/samples";


struct SampleRun {
  RecordingDriverHost host;
  Workspace ws{host};
  TempDir dir;

  SampleRun() {
    ws.options.workdir = dir.path();
    ws.options.autoDemux = false;
    ws.paths.eEVOfile = kSamples + "/HVDVD_TS/FEATURE_1.EVO";
    EVOadj(ws.paths, ws.buttons);
  }
  long count(const std::string& line) const {
    return std::count(host.lines.begin(), host.lines.end(), line);
  }
};

TEST(SampleDiscEngine, ReadEvoCataloguesEveryStreamOfBothFiles) {
  SampleRun run;
  scanTitle(run.ws);
  // Stream and copy-control lines once per file; the navigation lines name
  // each file's own VOB number and times.
  const std::pair<const char*, long> expected[] = {
      {"[b]MPEG-2[/b] video stream 0 found!", 2},
      {"[b]H.264 (AVC)[/b] video stream 1 found!", 2},
      {"[b]Dolby Digital[/b] audio stream 0 found!", 2},
      {"[b]Dolby Digital[/b] Plus audio stream 1 found!", 2},
      {"[b]DTS HD (DTS)[/b] audio stream 2 found!", 2},
      {"[b]Dolby TrueHD[/b] audio stream 3 found!", 2},
      {"[b]LPCM[/b] audio stream 4 found!", 2},
      {"[b]Subpicture[/b] stream 0 found!", 2},
      {"[b]Subpicture[/b] stream 1 found!", 2},
      {"[b]Copy One Generation[/b]", 2},
      {"[b]Type 1 of APS1 is ON[/b]", 2},
      {"[b]ICT on, constrained analog output[/b]", 2},
      {"VOB number 1 contains [b]2[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.", 1},
      {"VOB number 2 contains [b]2[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.", 1},
      {"PTM of first video frame = [re]00015F90[/re]", 1},
      {"PTM of first video frame = [re]0004AB50[/re]", 1},
  };
  for (const auto& [line, times] : expected) EXPECT_EQ(run.count(line), times) << line;
  EXPECT_EQ(run.count("[b]This file is ENCRYPTED![/b] Decrypt it before any process."), 0);
  // Every picture starts a packet of its own, so none is missed or doubled.
  EXPECT_EQ(run.ws.session.state.FrameCount[0], 120);
  EXPECT_EQ(run.ws.session.state.FrameCount[1], 144);
}

TEST(SampleDiscEngine, DemuxGivesBackTheElementaryStreams) {
  SampleRun run;
  scanTitle(run.ws);
  demuxTitle(run.ws);
  std::vector<Bytes> outputs;
  for (const auto& entry : std::filesystem::directory_iterator(run.dir.path())) {
    outputs.push_back(readFileBytes(entry.path().string()));
  }
  EXPECT_EQ(outputs.size(), 9u);
  Walk first = walkProgramStream(readFileBytes(kSamples + "/HVDVD_TS/FEATURE_1.EVO"));
  Walk second = walkProgramStream(readFileBytes(kSamples + "/HVDVD_TS/FEATURE_2.EVO"));
  for (const auto& [key, payload] : first.payload) {
    uint8_t sub = uint8_t(key & 0xFF);
    if ((key >> 8) == 0xBD && (sub & 0xE0) == 0x20) continue;  // subpictures become ".sup" records
    Bytes joined = payload;
    const Bytes& more = second.payload.at(key);
    joined.insert(joined.end(), more.begin(), more.end());
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), joined), outputs.end()) << std::hex << key;
  }
}

}  // namespace
}  // namespace vantrel::testing
