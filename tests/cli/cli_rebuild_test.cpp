// vantrel-cli rebuild: reads the title, then keeps the chosen streams.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/dsi_walker.h"
#include "tests/support/cli_runner.h"
#include "tests/support/test_disc.h"
#include "tests/support/title_builder.h"

namespace vantrel::testing {
namespace {

using psmux::Bytes;

// Navigation pack, MPEG-2 video, AC-3 80 and 81, an advanced-content pack.
// Each stream pack ends in its tag byte.
Bytes twoAudioTitle() {
  psmux::Navigation nav;
  nav.audioBound = 2;
  nav.audioSync = {1, 1};
  Title title;
  title.nav(nav).video(0xE0, 90000, Bytes(3000, 1));
  return title.audio(0x80, 90000, Bytes(3000, 2))
      .audio(0x81, 90000, Bytes(3000, 3))
      .advanced()
      .bytes();
}

int cli(const std::string& arguments, std::string* out) {
  CliRun run = runCli(arguments);
  *out = run.out;
  return run.status;
}

TEST(CliRebuild, KeepsTheChosenStreamsRenumbered) {
  TempDir dir;
  const std::string source = dir.write("HVDVD_TS/TITLE.EVO", twoAudioTitle());
  std::filesystem::create_directory(dir.file("out"));
  const std::string output = dir.file("out/TITLE.rebuilt.EVO");
  std::string out;

  ASSERT_EQ(
      cli("rebuild '" + source + "' -o '" + dir.file("out") + "' --streams v0,a1 --adv", &out), 0)
      << out;
  EXPECT_NE(out.find("Creating " + output +
                     "\nOpening file TITLE.EVO\nFile size: 0 Mbytes.\n"
                     "Rebuilding...\nDone.\n"),
            std::string::npos)
      << out;
  Bytes rebuilt = readFileBytes(output);
  ASSERT_EQ(rebuilt.size(), 4 * psmux::kPackSize);
  const uint8_t* audio = rebuilt.data() + 2 * psmux::kPackSize;
  EXPECT_EQ(audio[23 + audio[22]], 0x80);               // was 81
  EXPECT_EQ(audio[psmux::kPackSize - 1], 3);            // the 81 pack's payload
  EXPECT_EQ(rebuilt[3 * psmux::kPackSize + 20], 0x80);  // the advanced-content pack

  ASSERT_EQ(cli("read --no-details --no-count-frames '" + output + "'", &out), 0);
  EXPECT_NE(out.find("Dolby Digital audio stream 0 found!"), std::string::npos) << out;
  EXPECT_EQ(out.find("audio stream 1"), std::string::npos) << out;

  ASSERT_EQ(cli("rebuild '" + source + "' -o '" + dir.file("out") + "' --streams a1", &out), 0);
  EXPECT_EQ(readFileBytes(output).size(), 2 * psmux::kPackSize);  // navigation and audio
}

// Three angles interleaved in one file: demux and rebuild keep the one
// asked for, every picture and sound of it and nothing of the others.
TEST(CliRebuild, DemuxAndRebuildKeepOneAngleOfAnInterleavedBlock) {
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  sample::DiscLayout layout;
  layout.titles = {sample::angleTitle(3)};
  const sample::DiscTitleContent title = writeTestDisc(layout, dir.file("disc")).titles[0];
  const std::string source = title.files[0];
  std::filesystem::create_directory(dir.file("out"));
  // Demuxes `name`.EVO of the output folder; `angle` of the block must come out.
  auto demuxed = [&](const std::string& name, const std::string& options, int angle) {
    std::string out;
    const std::string file = name == "ANGLES" ? source : dir.file("out/" + name + ".EVO");
    EXPECT_EQ(cli("demux '" + file + "' -o '" + dir.file("out") + "' " + options, &out), 0) << out;
    const Bytes video = readFileBytes(dir.file("out/" + name + ".H.264.stream.0.mpv"));
    EXPECT_TRUE(video == title.bytesOf(psmux::EsCodec::H264Video, 0xE2, angle)) << angle;
    const Bytes audio = readFileBytes(dir.file("out/" + name + ".DD.stream.00.mpa"));
    EXPECT_TRUE(audio == title.bytesOf(psmux::EsCodec::Ac3, 0x80, angle)) << angle;
    return out;
  };
  const std::string first = demuxed("ANGLES", "", 1);
  EXPECT_NE(first.find("Interleaved angle block of 3 angles: angle 1 is kept."), std::string::npos) << first;
  const std::string second = demuxed("ANGLES", "--angle 2", 2);
  const uint64_t units = title.evobs[1].find(psmux::EsCodec::H264Video, 0xE2)->units;
  EXPECT_NE(second.find(std::to_string(units) + " counted frames"), std::string::npos) << second;

  std::string out;
  ASSERT_EQ(cli("rebuild '" + source + "' -o '" + dir.file("out") + "' --angle 3", &out), 0) << out;
  const std::string rebuilt = dir.file("out/ANGLES.rebuilt.EVO");
  const DsiWalk walked = walkDsi({rebuilt}, PackNumbering::WholeChain);
  EXPECT_TRUE(walked.faults.empty()) << walked.faults.front();
  ASSERT_EQ(cli("read --no-details '" + rebuilt + "'", &out), 0);
  EXPECT_EQ(out.find("Interleaved"), std::string::npos) << out;  // one angle, played straight
  std::filesystem::rename(rebuilt, dir.file("out/REBUILT.EVO"));
  demuxed("REBUILT", "", 3);
  EXPECT_EQ(cli("demux '" + source + "' --angle 0", &out), 2);
  EXPECT_EQ(cli("demux '" + source + "' -o '" + dir.file("out") + "' --angle 4", &out), 1);
  EXPECT_NE(out.find("Interleaved angle block of 3 angles: it has no angle 4, none of it is kept."),
            std::string::npos) << out;
  EXPECT_EQ(readFileBytes(dir.file("out/ANGLES.H.264.stream.0.mpv")).size(), 0u);
}

TEST(CliRebuild, RefusesWhatItCannotRebuild) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  std::string out;
  const std::string vob = dir.write("VTS_01_1.VOB", twoAudioTitle());
  EXPECT_EQ(cli("rebuild '" + vob + "' -o '" + dir.path() + "'", &out), 1);
  EXPECT_NE(out.find("the source must be an .EVO file"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("VTS_01_1.rebuilt.EVO")));

  const std::string source = dir.write("TITLE.EVO", twoAudioTitle());
  EXPECT_EQ(cli("rebuild '" + source + "' -o '" + dir.path() + "' --streams a5", &out), 1);
  EXPECT_NE(out.find("The title holds no stream a5."), std::string::npos) << out;
  EXPECT_EQ(cli("rebuild '" + source + "' -o '" + dir.file("missing") + "'", &out), 1);
  EXPECT_NE(out.find("Cannot create file"), std::string::npos) << out;

  // Nothing of an HD DVD title in it: a DVD VOB under an .EVO name (a real
  // one when at hand), a title that does not start on a pack boundary.
  Bytes misaligned = twoAudioTitle();
  misaligned.insert(misaligned.begin(), 0x47);
  std::vector<std::string> sources = {dir.write("SHIFTED.EVO", misaligned)};
  const std::string realVob = realSamplesDir() + "/vob/DVD_Sample_02_VTS_01_0.VOB";
  if (!realSamplesDir().empty() && std::filesystem::exists(realVob)) {
    std::filesystem::create_symlink(realVob, dir.file("DVD.EVO"));
    sources.push_back(dir.file("DVD.EVO"));
  }
  for (const std::string& input : sources) {
    EXPECT_EQ(cli("rebuild '" + input + "' -o '" + dir.file("out") + "'", &out), 1) << out;
    EXPECT_NE(out.find("has the HD DVD pack layout"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out"))) << input;
  }
}

}  // namespace
}  // namespace vantrel::testing
