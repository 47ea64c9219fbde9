#include "metadata/vti_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "metadata/vti_layout.h"
#include "metadata/vti_report.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"
#include "tools/psmux/vti_builder.h"

namespace vantrel {
namespace {

using testing::RecordingDriverHost;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::TempDir;
using namespace psmux::vti_code;

// VC-1 1920x1080 16:9, no sub video, Dolby Digital Plus 48 kHz and MLP
// 48 kHz 24 bit.
psmux::VtiEntry exampleEntry() {
  psmux::VtiEntry entry;
  entry.mainVideo = {kVc1, kAspect16x9, kRes1920x1080};
  entry.audio = {{kDdPlus, k48kHz, 0}, {kMlp, k48kHz, 2}};
  return entry;
}

class ReadVti : public ::testing::Test {
 protected:
  ReadVti() {
    ws.paths.EVOdir = dir.path() + "/HVDVD_TS/";
    std::filesystem::create_directories(ws.paths.EVOdir);
  }
  void writeVti(const psmux::Bytes& bytes) { dir.write("HVDVD_TS/HVA00001.VTI", bytes); }
  std::vector<std::string> run(const psmux::VtiLayout& layout) {
    writeVti(psmux::buildVti(layout));
    return run();
  }
  std::vector<std::string> run() {
    host.lines.clear();
    readTitleSetInfo(ws);
    return host.lines;
  }

  TempDir dir;
  RecordingDriverHost host;
  Workspace ws{host};
};

TEST(VtiAttributes, BitFieldsOfHandWrittenValues) {
  // 0x6300C000 = 011 000 11 ... 1100 0000 0000 0000: VC-1, 16:9, 1920x1080.
  EXPECT_EQ(decodeVideoAttribute(0x6300C000), (VtiVideoAttribute{3, 3, 12}));
  EXPECT_EQ(psmux::vtiVideoAttribute({kVc1, kAspect16x9, kRes1920x1080}), 0x6300C000u);
  // 0x04008000 = 000001 0 00 ... 10 00...: MLP, 48 kHz, q = 2 (24 bit).
  EXPECT_EQ(decodeAudioAttribute(0x04008000), (VtiAudioAttribute{1, 0, 2}));
  EXPECT_EQ(psmux::vtiAudioAttribute({kMlp, k48kHz, 2}), 0x04008000u);
  // All six coding-mode bits count: 0xFC000000 is mode 63.
  EXPECT_EQ(decodeAudioAttribute(0xFC400000), (VtiAudioAttribute{63, 2, 0}));
}

TEST_F(ReadVti, ExampleEntry) {
  psmux::VtiLayout layout;
  layout.tableSector = 0x1A;
  layout.valueAfterTableSector = 0xDEADBEEF;
  layout.entries = {exampleEntry()};
  EXPECT_THAT(run(layout), ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Advanced VTS",
                                     "0000001A", "DEADBEEF", "ATR #1",
                                     "Main Video: VC-1, 16:9, 1920x1080", "Main Audio stream: 2",
                                     "  0: DD/DD+, 48 kHz", "  1: MLP/True HD, 48 kHz, 24 bit"));
}

TEST_F(ReadVti, EntryWithoutAudioAndEntryWithSubVideo) {
  psmux::VtiLayout layout;
  layout.category = 3;
  psmux::VtiEntry silent;
  silent.mainVideo = {kMpeg2, kAspect4x3, kRes720x480};
  psmux::VtiEntry second;
  second.mainVideo = {kAvc, kAspect16x9, kRes1280x720};
  second.subVideo = psmux::VtiVideo{kMpeg2, 0, kRes720x480};
  second.audio = {{kLpcm, k96kHz, 1}, {kLpcm, k192kHz, 3}, {kDts, k48kHz, 2}};
  layout.entries = {silent, second};
  EXPECT_THAT(
      run(layout),
      ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Interoperable VTS", "00000001",
                  "00000000", "ATR #1", "Main Video: MPEG-2, 4:3, 720x480(576)",
                  "Main Audio stream: 0", "ATR #2", "Main Video: MPEG-4 AVC, 16:9, 1280x720",
                  "Sub Video compression mode: MPEG-2", "Resolution: 720x480(576)",
                  "Main Audio stream: 3", "  0: LPCM, 96 kHz, 20 bit", "  1: LPCM, 192 kHz, 28 bit",
                  "  2: DTS/DTS-HD, 48 kHz"));
}

TEST_F(ReadVti, NamesWithoutEntriesAndUnknownCodes) {
  psmux::VtiLayout layout;
  layout.category = 9;
  psmux::VtiEntry entry;
  entry.mainVideo = {kVc1, 1, 6};  // aspect 1 and resolution 6 have no name
  entry.audio = {{8, 3, 3}, {63, 0, 0}, {kAc3Interop, k48kHz, 0}, {4, k48kHz, 0}};
  layout.entries = {entry};
  EXPECT_THAT(run(layout),
              ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Unknown", "00000001",
                          "00000000", "ATR #1", "Main Video: VC-1, , ", "Main Audio stream: 4",
                          "  0: Unknown, ", "  1: Unknown, 48 kHz", "  2: AC-3 - IO VTS, 48 kHz",
                          "  3: LPCM - IO VTS, 48 kHz, 16 bit"));
}

TEST_F(ReadVti, NoEntriesEndsAfterTheTwoHexLines) {
  psmux::VtiLayout layout;
  EXPECT_THAT(run(layout), ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Advanced VTS",
                                     "00000001", "00000000"));
}

TEST_F(ReadVti, MoreThanEightAudioAttributesMoveTheNextEntry) {
  psmux::VtiLayout layout;
  psmux::VtiEntry big = exampleEntry();
  big.audio.assign(10, psmux::VtiAudio{kDdPlus, k48kHz, 0});
  psmux::VtiEntry next;
  next.mainVideo = {kMpeg2, kAspect4x3, kRes720x480};
  layout.entries = {big, next};
  const auto lines = run(layout);
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[16], "  9: DD/DD+, 48 kHz");
  EXPECT_THAT(
      std::vector<std::string>(lines.end() - 3, lines.end()),
      ElementsAre("ATR #2", "Main Video: MPEG-2, 4:3, 720x480(576)", "Main Audio stream: 0"));
}

TEST_F(ReadVti, MissingFileWrongIdentifierOrOptionOff) {
  EXPECT_THAT(run(), ElementsAre("HVA00001.VTI not found"));

  std::filesystem::create_directory(dir.file("HVDVD_TS/HVA00001.VTI"));  // a folder is no file
  EXPECT_THAT(run(), ElementsAre("HVA00001.VTI not found"));
  std::filesystem::remove(dir.file("HVDVD_TS/HVA00001.VTI"));

  for (const char* id : {"advanced-vts", "STANDARD-VTS", "ADVANCED-VT", ""}) {
    psmux::VtiLayout layout;
    layout.identifier = id;
    layout.entries = {exampleEntry()};
    EXPECT_THAT(run(layout), ElementsAre("Reading [b]HVA00001.VTI[/b]")) << id;
  }

  ws.options.readVTI = false;
  EXPECT_TRUE(run().empty());
}

TEST_F(ReadVti, EmptySourceFolderMeansTheCurrentFolder) {
  psmux::VtiLayout layout;
  dir.write("HVA00001.VTI", psmux::buildVti(layout));
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ws.paths.EVOdir.clear();
  const auto lines = run();
  std::filesystem::current_path(before);
  EXPECT_EQ(lines.size(), 4u);
}

// Cut-short files: the report shows what is there and says where it ends.
class TruncatedVti : public ReadVti {
 protected:
  std::vector<std::string> runCut(psmux::Bytes bytes, size_t size) {
    bytes.resize(size);
    writeVti(bytes);
    return run();
  }
  static std::string cut(const std::string& what, uint64_t at, size_t size) {
    return "[re]The file ends before " + what + " (byte " + std::to_string(at) + ", file size " +
           std::to_string(size) + "); report stopped.[/re]";
  }
};

TEST_F(TruncatedVti, InsideTheHeader) {
  const psmux::Bytes whole = psmux::buildVti(psmux::VtiLayout{});
  EXPECT_THAT(runCut(whole, 20),
              ElementsAre("Reading [b]HVA00001.VTI[/b]", cut("the end of the header", 34, 20)));
  EXPECT_THAT(runCut(whole, 190),
              ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Advanced VTS",
                          cut("the end of the header", 184, 190)));
  EXPECT_THAT(runCut(whole, 5), ElementsAre("Reading [b]HVA00001.VTI[/b]"));  // no identifier
}

TEST_F(TruncatedVti, TableOrEntriesBeyondTheEnd) {
  psmux::VtiLayout layout;
  layout.entries = {exampleEntry(), exampleEntry()};
  const psmux::Bytes whole = psmux::buildVti(layout);
  const size_t table = 2048, first = table + 16;

  EXPECT_THAT(runCut(whole, table + 11),
              ElementsAre("Reading [b]HVA00001.VTI[/b]", "Category: Advanced VTS", "00000001",
                          "00000000", cut("the attribute table", table, table + 11)));

  const auto oneEntry = runCut(whole, first + 1024 + 10);
  ASSERT_EQ(oneEntry.size(), 10u);
  EXPECT_EQ(oneEntry.back(), cut("ATR #2", first + 1024, first + 1024 + 10));

  // The second audio attribute of entry 1 is cut in half.
  const auto halfAudio = runCut(whole, first + 16 + 6);
  EXPECT_THAT(std::vector<std::string>(halfAudio.begin() + 4, halfAudio.end()),
              ElementsAre("ATR #1", "Main Video: VC-1, 16:9, 1920x1080", "Main Audio stream: 2",
                          "  0: DD/DD+, 48 kHz",
                          cut("the audio attributes of ATR #1", first + 20, first + 22)));
}

TEST_F(TruncatedVti, HugeNumbersEndTheReport) {
  psmux::VtiLayout layout;
  layout.entries = {exampleEntry()};
  psmux::Bytes bytes = psmux::buildVti(layout);

  psmux::Bytes farTable = bytes;
  psmux::set32(farTable, 184, 0xFFFFFFFF);
  writeVti(farTable);
  EXPECT_EQ(run().back(), cut("the attribute table", 0xFFFFFFFFull * 2048, farTable.size()));

  psmux::Bytes farEntry = bytes;
  psmux::set32(farEntry, 2048 + 8, 0xFFFFFFFF);
  writeVti(farEntry);
  EXPECT_EQ(run().back(), cut("ATR #1", 2048 + 0xFFFFFFFFull, farEntry.size()));

  psmux::Bytes manyEntries = bytes;
  psmux::set16(manyEntries, 2048, 0xFFFF);
  writeVti(manyEntries);
  EXPECT_EQ(run().back(), cut("ATR #2", 2048 + 16 + 1024, manyEntries.size()));

  psmux::Bytes manyAudio = bytes;
  psmux::set16(manyAudio, 2048 + 16 + 14, 0xFFFF);
  writeVti(manyAudio);
  const auto lines = run();
  EXPECT_EQ(lines[6], "Main Audio stream: 65535");
  EXPECT_EQ(lines.back(),
            cut("the audio attributes of ATR #1", manyAudio.size(), manyAudio.size()));
}

}  // namespace
}  // namespace vantrel
