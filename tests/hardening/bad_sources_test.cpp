// Bad source files: what the user sees for each (the log, the exit status of
// vantrel-cli, the files left), and that the source is never changed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "tests/hardening/catalogue_support.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// Lines that follow "Done." and its empty line: the frame report.
size_t frameReportLines(const ProcessingState& st) {
  size_t n = 0;
  for (int32_t count : st.FrameCount) n += count > 0;
  return n > 0 ? n + 1 : 0;
}

// A file that holds no stream is read and demuxed like any other: the run
// reports nothing found and writes nothing.
TEST(BadSources, EmptyOneByteAndRandomFilesReadAsTitlesWithoutStreams) {
  std::mt19937 random(7);
  Bytes noise(64 * 1024);
  for (auto& b : noise) b = uint8_t(random());
  for (const Bytes& bytes : {Bytes{}, Bytes{0x00}, Bytes{0x47}, noise}) {
    Driver d;
    const std::string source = d.source("T/A.EVO", bytes);
    InputSnapshot input({source});
    d.readEvo();
    EXPECT_EQ(d.lines(), (std::vector<std::string>{".", "Opening file [b]A.EVO[/b]", "Reading...",
                                                   "File size: 0 Mbytes.", "Done.", ""}))
        << bytes.size();
    EXPECT_FALSE(d.host.buttons.demux);
    d.host.lines.clear();
    d.demux();
    EXPECT_EQ(d.lines(),
              (std::vector<std::string>{"Opening file [b]A.EVO[/b]", "File size: 0 Mbytes.",
                                        "Demuxing A.EVO", "Done.", ""}));
    EXPECT_EQ(folderEntries(d.dir.path()), std::vector<std::string>{"T"});
    EXPECT_TRUE(input.unchanged());

    const CliRun run = runCli("demux " + shellQuoted(source) + " -o " + shellQuoted(d.dir.path()));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              ".\nOpening file A.EVO\nReading...\nFile size: 0 Mbytes.\nDone.\n\n"
              "Opening file A.EVO\nFile size: 0 Mbytes.\nDemuxing A.EVO\nDone.\n\n");
    EXPECT_TRUE(input.unchanged());
  }
}

// A title of every kind of packet the engine parses.
Bytes richTitle() {
  using namespace psmux;
  Title title;
  title.add(smallTitle(7, 2))
      .privateStream1(lpcmSubstreamHeader(0xA2, 0, 0x10, 0x80), 90000, Bytes(64, 0x11));
  Bytes truehd = trueHdSubstreamHeader(0xB1);
  append(truehd, Bytes(64, 0x22));
  title.pes({.streamId = 0xBD, .pts = 90000, .dts = 89000, .payload = truehd});
  title.pes({.streamId = 0xFD,
             .pts = 90000,
             .streamIdExtension = 0x56,
             .pstdBuffer = true,
             .payload = {0x00, 0x00, 0x01, 0x0D, 0x33, 0x33}});
  return title.copyControl({0xC0, 0x80, 0x60}).bytes();
}

// Offsets worth cutting at in every pack: inside the pack header, the PES
// start code and length, the flags, the time stamps, the substream header
// and the first payload bytes; in the navigation pack also inside the
// system header, the PCI and the DSI fields the program reads.
std::vector<size_t> cutOffsets(size_t size) {
  std::vector<size_t> cuts;
  for (size_t pack = 0; pack < size; pack += psmux::kPackSize)
    for (size_t at : {0,  1,  3,  4,  10, 13, 14, 15, 16, 17, 18, 19, 20,  21,
                      22, 23, 24, 26, 27, 28, 29, 30, 31, 32, 33, 40, 2047})
      if (pack + at < size) cuts.push_back(pack + at);
  for (size_t at : {38,   44,   1024, 1030, 1287, 1290, 1293, 1294, 1295, 1318,
                    1338, 1342, 1346, 1824, 1832, 1840, 1900, 1967, 1968, 2000})
    cuts.push_back(at);
  return cuts;
}

// Cut anywhere, a title still reads to "Done." without an error, and each
// output is the start of what the whole title gives: a cut loses only what
// lies behind it.
TEST(BadSources, TitleTruncatedAtManyOffsetsLosesOnlyItsTail) {
  const Bytes whole = richTitle();
  Driver full;
  full.ws.session.options.details = false;
  full.source("T/A.EVO", whole);
  full.readEvo();
  full.demux();
  std::map<std::string, Bytes> complete;
  for (const std::string& name : folderEntries(full.dir.path()))
    if (name != "T") complete[name] = readFileBytes(full.dir.file(name));
  ASSERT_EQ(complete.size(), 6u);  // MPEG-2, VC-1, AC-3, TrueHD, LPCM, subpicture 2

  for (size_t cut : cutOffsets(whole.size())) {
    Driver d;
    d.ws.session.options.details = false;
    const std::string source = d.source("T/A.EVO", Bytes(whole.begin(), whole.begin() + long(cut)));
    InputSnapshot input({source});
    d.readEvo();
    d.host.lines.clear();
    d.demux();
    EXPECT_EQ(d.ws.errorsLogged, 0) << cut;
    EXPECT_EQ(d.indexOf("Done."), int(d.lines().size() - 2 - frameReportLines(d.ws.session.state)))
        << cut;
    for (const std::string& name : folderEntries(d.dir.path())) {
      if (name == "T") continue;
      ASSERT_TRUE(complete.count(name)) << name << " at " << cut;
      const Bytes part = readFileBytes(d.dir.file(name));
      const Bytes& all = complete[name];
      ASSERT_LE(part.size(), all.size()) << name << " at " << cut;
      EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin())) << name << " at " << cut;
    }
    EXPECT_TRUE(input.unchanged());
  }
}

// The same cuts with "Detailed info": every analyzer sees a payload that
// ends early (AddressSanitizer watches the reads).
TEST(BadSources, TruncatedTitlesReadWithDetails) {
  const Bytes whole = richTitle();
  for (size_t cut : cutOffsets(whole.size())) {
    Driver d;
    d.source("T/A.EVO", Bytes(whole.begin(), whole.begin() + long(cut)));
    d.readEvo();
    EXPECT_EQ(d.ws.errorsLogged, 0);
    EXPECT_TRUE(d.logged("Done.")) << cut;
  }
}

// PES lengths that cannot be: a packet of no bytes, one that claims 65,535
// bytes in a pack of 2,048, and a header longer than its packet. The length
// is obeyed: the long packet swallows the packs behind it.
TEST(BadSources, ImpossiblePesLengthsAreObeyedWithoutHarm) {
  using namespace psmux;
  Bytes title = smallTitle(1, 1);
  const size_t longPacketAt = title.size();
  Title packs;
  packs.pes(
      {.streamId = 0xE0, .pts = 90000, .payload = Bytes(100, 0xAB), .lengthOverride = 0xFFFF});
  for (int i = 0; i < 40; ++i) packs.audio(0x81, 90000, {0x0B, 0x77, uint8_t(i)});
  packs.pes({.streamId = 0xBD, .payload = audioSubstreamHeader(0x82), .lengthOverride = 0});
  append(title, packs.bytes());
  append(title, packHeader(71));
  append(title, {0x00, 0x00, 0x01, 0xBD, 0x00, 0x03, 0x81, 0x80, 0xFF, 0x21, 0x00});

  Driver d;
  const std::string source = d.source("T/A.EVO", title);
  InputSnapshot input({source});
  d.readEvo();
  d.demux();
  EXPECT_EQ(d.ws.errorsLogged, 0);
  // The 65,535 bytes after the length field: the PES header (3 + 5), then
  // the video output, which takes in the audio packs behind it.
  const size_t payloadAt = longPacketAt + 14 + 6 + 8;
  const size_t smallVideoAt = 2048 + 14 + 6 + 8;  // the ten bytes of smallTitle's video pack
  Bytes expected(title.begin() + long(smallVideoAt), title.begin() + long(smallVideoAt + 10));
  expected.insert(expected.end(), title.begin() + long(payloadAt),
                  title.begin() + long(payloadAt + 65535 - 8));
  EXPECT_EQ(readFileBytes(d.dir.file("A.MPEG-2.stream.0.mpv")), expected);
  // Only the audio packs whose start code lies after the long packet are seen.
  const size_t packetEnd = longPacketAt + 20 + 65535;
  const size_t audioAt = longPacketAt + 2048;
  const size_t firstSeen = (packetEnd - 14 - audioAt + 2047) / 2048;
  EXPECT_EQ(d.ws.session.state.AudioStreamId[1], 0x81);
  const Bytes audio = readFileBytes(d.dir.file("A.DD.stream.01.mpa"));
  ASSERT_EQ(audio.size(), 3 * (40 - firstSeen));
  EXPECT_EQ(audio[2], uint8_t(firstSeen));
  EXPECT_TRUE(input.unchanged());
}

TEST(BadSources, AFolderOrAFifoAsTheSourceIsRefusedAtOnce) {
  TempDir dir;
  const std::string folder = dir.file("D.EVO");
  fs::create_directory(folder);
  const std::string fifo = dir.file("F.EVO");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const char* command : {"read", "demux", "rebuild"}) {
    CliRun run =
        runCli(std::string(command) + " " + shellQuoted(folder) + " -o " + shellQuoted(dir.path()));
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.out,
              ".\nOpening file D.EVO\nCannot open file \"" + folder + "\". Is a directory\n");
    run = runCli(std::string(command) + " " + shellQuoted(fifo) + " -o " + shellQuoted(dir.path()));
    EXPECT_EQ(run.status, 1) << command;  // not 124: nothing waits for a writer
    EXPECT_EQ(run.out,
              ".\nOpening file F.EVO\nCannot open file \"" + fifo + "\". Invalid argument\n");
  }
  EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"D.EVO", "F.EVO"}));
}

// The source turned into a folder between Read EVO and Demux: the outputs
// already created are closed (empty) and the run ends normally.
TEST(BadSources, ASourceThatBecameAFolderEndsDemuxWithARedLine) {
  Driver d;
  const std::string source = d.source("T/A.EVO", smallTitle(1));
  d.readEvo();
  fs::remove(source);
  fs::create_directory(source);
  d.host.lines.clear();
  d.demux();
  const std::string prefix = d.dir.path() + "/A";
  EXPECT_EQ(
      d.lines(),
      (std::vector<std::string>{
          "Creating " + prefix + ".MPEG-2.stream.0.mpv", "Creating " + prefix + ".DD.stream.00.mpa",
          "Creating " + prefix + ".Subpicture.02.sup", "Opening file [b]A.EVO[/b]",
          "[re]Cannot open file \"" + source + "\". Is a directory[/re]", "Done.", ""}));
  EXPECT_EQ(fs::file_size(prefix + ".DD.stream.00.mpa"), 0u);
}

// getnext only follows files that exist: a gap ends the title there.
TEST(BadSources, AGapInTheChainEndsTheTitleAtTheGap) {
  TempDir dir;
  const std::string first = dir.write("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  const std::string third = dir.write("HVDVD_TS/FEATURE_3.EVO", smallTitle(3));
  InputSnapshot inputs({first, third});
  CliRun run =
      runCli("demux " + shellQuoted(first) + " -o " + shellQuoted(dir.path()) + " --no-details");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("FEATURE_3"), std::string::npos);
  EXPECT_EQ(readFileBytes(dir.file("FEATURE_1.DD.stream.00.mpa")), (Bytes{0x0B, 0x77, 1}));
  EXPECT_TRUE(inputs.unchanged());
}

// A later file of the chain that cannot be read: Read EVO stops with the
// file layer's message; Demux logs it in red after writing the first file.
TEST(BadSources, AnUnreadableFileInTheChainStopsTheRunWithItsReason) {
  PermissionBitsApply permissions;
  if (!permissions.active()) GTEST_SKIP() << "permission bits cannot be made to apply here";
  Driver d;
  d.source("T/FEATURE_1.EVO", smallTitle(1));
  const std::string second = d.dir.write("T/FEATURE_2.EVO", smallTitle(2));
  d.readEvo();
  fs::permissions(second, fs::perms::none);
  d.host.lines.clear();
  d.demux();
  const int error = d.indexOf("[re]Cannot open file \"" + second + "\". Permission denied[/re]");
  ASSERT_GE(error, 0);
  EXPECT_EQ(d.lines()[size_t(error - 1)], "Opening file [b]FEATURE_2.EVO[/b]");
  EXPECT_EQ(d.lines()[size_t(error + 1)], "Done.");
  EXPECT_EQ(readFileBytes(d.dir.file("FEATURE_1_MERGED.DD.stream.00.mpa")), (Bytes{0x0B, 0x77, 1}));

  d.host.lines.clear();
  try {
    d.readEvo();
    ADD_FAILURE() << "Read EVO went on";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + second + "\". Permission denied");
  }
  EXPECT_TRUE(d.logged("Opening file [b]FEATURE_2.EVO[/b]"));
  EXPECT_TRUE(d.host.buttons.readEVO);  // the window stays usable
  fs::permissions(second, fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace vantrel::testing
