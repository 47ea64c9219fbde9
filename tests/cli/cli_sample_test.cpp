// The bundled sample through vantrel-cli, as ./run.sh runs it: every stream
// is written, and ffprobe reads each output as the codec its name claims.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_io.h"
#include "tests/support/cli_runner.h"
#include "tests/support/temp_dir.h"

namespace vantrel::testing {
namespace {

const std::string kSample = std::string(VANTREL_SOURCE_DIR) + "/samples/HVDVD_TS/FEATURE_1.EVO";

TEST(CliSample, DemuxWritesEveryStreamAsTheCodecItsNameClaims) {
  if (!fileExists(kSample)) GTEST_SKIP() << "the bundled sample is missing";
  TempDir dir;
  std::string out;
  ASSERT_EQ(runCommand(shellQuoted(cliPath()) + " demux '" + kSample + "' -o '" + dir.path() + "' 2>/dev/null", &out), 0)
      << out;
  const std::string base = dir.path() + "/FEATURE_1_MERGED.";
  const std::vector<std::pair<std::string, std::string>> outputs = {
      {"MPEG-2.stream.0.mpv", "mpeg2video"}, {"H.264.stream.1.mpv", "h264"},
      {"DD.stream.00.mpa", "ac3"},           {"DD+.stream.01.mpa", "eac3"},
      {"DTSHD.stream.02.mpa", "dts"},        {"MLP.stream.03.mpa", "truehd"},
      {"LPCM.stream.04.mpa", ""},            {"Subpicture.00.sup", ""},
      {"Subpicture.01.sup", ""}};
  for (const auto& [name, codec] : outputs) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fileExists(base + name));
    EXPECT_GT(std::filesystem::file_size(base + name), 0u);
    EXPECT_NE(out.find("Creating " + base + name + "\n"), std::string::npos);
    if (codec.empty() || !haveTool("ffprobe")) continue;
    std::string probed;
    runCommand("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + base + name + "'",
               &probed);
    EXPECT_EQ(probed.substr(0, probed.find_first_of(",\n")), codec);
  }
  // Both files of the chain were demuxed into the one set of outputs.
  EXPECT_NE(out.find("Demuxing FEATURE_2.EVO\n"), std::string::npos);
  EXPECT_NE(out.find("120 counted frames"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::testing
