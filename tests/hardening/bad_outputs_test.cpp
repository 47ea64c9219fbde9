// Bad places to write: a missing or read-only output folder, a full disk, a
// file-size limit, a FIFO, an output that is a source, names that try to
// leave the folder, a closed log pipe. Each gives its exact message, keeps
// every byte written before the error, and never changes a source.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "drivers/operations.h"
#include "tests/hardening/catalogue_support.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
constexpr int kGroups = 60;

// A title of a navigation pack and 60 groups of a full video pack (its
// payload filled with the group number), an AC-3 packet "0B 77 n" and a
// subpicture packet "00 04 n n" with PTS 1000 + n: about 120 KiB of video,
// so that the video output is flushed during the pass.
struct BigTitle {
  Bytes bytes;
  std::vector<size_t> videoSizes;  // payload bytes of each group's video packet

  BigTitle() {
    psmux::Navigation nav;
    nav.firstVideoPtm = 1000;
    nav.lastVideoPtm = 1000 + 90000;
    Title title;
    title.nav(nav);
    for (int n = 0; n < kGroups; ++n) {
      const uint64_t pts = 1000 + uint64_t(n);
      const auto tag = uint8_t(n);
      title.video(0xE0, pts, Bytes(4000, tag));
      videoSizes.push_back(title.lastPayloadBytes());
      title.audio(0x80, pts, {0x0B, 0x77, tag}).subpicture(0x20, pts, {0x00, 0x04, tag, tag});
    }
    bytes = title.bytes();
  }

  static Bytes audioOfGroups(int groups) {
    Bytes out;
    for (int n = 0; n < groups; ++n) psmux::append(out, {0x0B, 0x77, uint8_t(n)});
    return out;
  }
  // ".sup" records with the raw PTS: without "Detailed info" no first PTS
  // is known to rebase on.
  static Bytes supOfGroups(int groups) {
    Bytes out;
    for (int n = 0; n < groups; ++n) {
      const uint32_t t = 1000 + uint32_t(n);
      psmux::append(out, {'S', 'P', uint8_t(t), uint8_t(t >> 8), 0, 0, 0, 0, 0, 0});
      psmux::append(out, {0x00, 0x04, uint8_t(n), uint8_t(n)});
    }
    return out;
  }
  // Groups whose audio and subpicture were handed over before the video
  // write that overflows the output's buffer, which is the write that
  // meets a full disk first.
  int groupsBeforeVideoFlush() const {
    size_t buffered = 0;
    for (int n = 0; n < kGroups; ++n) {
      buffered += videoSizes[size_t(n)];
      if (buffered > OutputFile::kBufferSize) return n;
    }
    return kGroups;
  }
};

const BigTitle& bigTitle() {
  static const BigTitle title;
  return title;
}

// A driver with a read big title, "Detailed info" off.
struct ReadTitle : Driver {
  std::string sourcePath;
  std::string prefix;
  ReadTitle() {
    ws.session.options.details = false;
    sourcePath = source("T/A.EVO", bigTitle().bytes);
    prefix = dir.path() + "/A";
    readEvo();
    host.lines.clear();
  }
  std::string video() const { return prefix + ".MPEG-2.stream.0.mpv"; }
  std::string audio() const { return prefix + ".DD.stream.00.mpa"; }
  std::string sup() const { return prefix + ".Subpicture.00.sup"; }
};

std::string tail(const std::string& text, size_t n) {
  return text.size() < n ? text : text.substr(text.size() - n);
}

TEST(BadOutputs, FullDiskDuringDemuxKeepsEveryByteOfTheOtherOutputs) {
  ReadTitle d;
  fs::create_symlink("/dev/full", d.video());
  InputSnapshot input({d.sourcePath});
  d.demux();
  const int groups = bigTitle().groupsBeforeVideoFlush();
  ASSERT_LT(groups, kGroups);
  EXPECT_EQ(d.lines(),
            (std::vector<std::string>{
                "Creating " + d.video(), "Creating " + d.audio(), "Creating " + d.sup(),
                "Opening file [b]A.EVO[/b]", "File size: 0 Mbytes.", "Demuxing A.EVO",
                "[re]Cannot write file \"" + d.video() + "\". No space left on device[/re]",
                "Done.", ""}));
  EXPECT_EQ(readFileBytes(d.audio()), BigTitle::audioOfGroups(groups));
  EXPECT_EQ(readFileBytes(d.sup()), BigTitle::supOfGroups(groups));
  EXPECT_EQ(d.ws.errorsLogged, 1);
  EXPECT_FALSE(d.ws.session.state.DemuxActive);
  EXPECT_TRUE(input.unchanged());
}

// The ".sup" record headers are checked like the payload: a full disk
// under the subpicture output is reported when it is closed, and the other
// outputs are whole.
TEST(BadOutputs, FullDiskUnderASupFileIsReportedAndTheOthersAreWhole) {
  ReadTitle d;
  fs::create_symlink("/dev/full", d.sup());
  d.demux();
  const int error =
      d.indexOf("[re]Cannot write file \"" + d.sup() + "\". No space left on device[/re]");
  ASSERT_GE(error, 0);
  EXPECT_EQ(d.lines()[size_t(error - 1)], "Demuxing A.EVO");
  EXPECT_EQ(d.lines()[size_t(error + 1)], "Done.");
  EXPECT_EQ(readFileBytes(d.audio()), BigTitle::audioOfGroups(kGroups));
  size_t video = 0;
  for (size_t size : bigTitle().videoSizes) video += size;
  EXPECT_EQ(fs::file_size(d.video()), video);
}

TEST(BadOutputs, FullDiskDuringRebuildEndsItWithTheReason) {
  ReadTitle d;
  const std::string rebuilt = d.prefix + ".rebuilt.EVO";
  fs::create_symlink("/dev/full", rebuilt);
  InputSnapshot input({d.sourcePath});
  rebuildTitle(d.ws);
  EXPECT_EQ(d.lines(), (std::vector<std::string>{"Creating " + rebuilt, "Opening file [b]A.EVO[/b]",
                                                 "File size: 0 Mbytes.", "Rebuilding...",
                                                 "[re]Cannot write file \"" + rebuilt +
                                                     "\". No space left on device[/re]",
                                                 "Done.", ""}));
  EXPECT_TRUE(d.host.buttons.rebuild);
  EXPECT_TRUE(input.unchanged());

  const CliRun run =
      runCli("rebuild " + shellQuoted(d.sourcePath) + " -o " + shellQuoted(d.dir.path()));
  EXPECT_EQ(run.status, 1);
  const std::string expected =
      "Cannot write file \"" + rebuilt + "\". No space left on device\nDone.\n\n";
  EXPECT_EQ(tail(run.out, expected.size()), expected);
  EXPECT_TRUE(input.unchanged());
}

// A file-size limit cuts an output in the middle of a write: what fits is
// stored, the rest is reported, and the program is not killed by SIGXFSZ.
TEST(BadOutputs, AFileSizeLimitKeepsTheBytesBeforeIt) {
  TempDir dir;
  const std::string source = dir.write("T/A.EVO", bigTitle().bytes);
  fs::create_directory(dir.file("whole"));
  fs::create_directory(dir.file("cut"));
  InputSnapshot input({source});
  for (const char* command : {"demux", "rebuild"}) {
    const std::string options = " --no-details --no-continue -o ";
    CliRun whole = runCli(std::string(command) + " " + shellQuoted(source) + options +
                          shellQuoted(dir.file("whole")));
    ASSERT_EQ(whole.status, 0) << whole.out;
    CliRun cut = runCli(
        std::string(command) + " " + shellQuoted(source) + options + shellQuoted(dir.file("cut")),
        "ulimit -f 100;");
    EXPECT_EQ(cut.status, 1) << command;
    const std::string big =
        std::string(command) == "demux" ? "A.MPEG-2.stream.0.mpv" : "A.rebuilt.EVO";
    EXPECT_NE(cut.out.find("Cannot write file \"" + dir.file("cut") + "/" + big +
                           "\". File too large\nDone.\n"),
              std::string::npos)
        << cut.out;
    EXPECT_EQ(fs::file_size(dir.file("cut/" + big)), 100u * 1024);
    for (const std::string& name : folderEntries(dir.file("whole"))) {
      Bytes all = readFileBytes(dir.file("whole/" + name));
      Bytes part = readFileBytes(dir.file("cut/" + name));
      // The navigation pack of the unit the cut ends was never completed.
      for (Bytes* bytes : {&all, &part})
        for (size_t at = 0; at + 2048 <= part.size(); at += 2048)
          if ((*bytes)[at + 17] == 0xBB) std::fill_n(bytes->begin() + long(at), 2048, 0);
      ASSERT_LE(part.size(), all.size()) << name;
      EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin())) << name;
    }
  }
  EXPECT_TRUE(input.unchanged());
}

TEST(BadOutputs, MissingOutputFolderCreatesNothingAndExitsWithOne) {
  TempDir dir;
  const std::string source = dir.write("T/A.EVO", smallTitle(1));
  InputSnapshot input({source});
  const std::string missing = dir.file("none");
  for (std::string name : {"A.MPEG-2.stream.0.mpv", "A.rebuilt.EVO"}) {
    const char* command = name == "A.rebuilt.EVO" ? "rebuild" : "demux";
    CliRun run =
        runCli(std::string(command) + " " + shellQuoted(source) + " -o " + shellQuoted(missing));
    EXPECT_EQ(run.status, 1);
    const std::string expected =
        "Cannot create file \"" + missing + "/" + name + "\". No such file or directory\nDone.\n\n";
    EXPECT_EQ(tail(run.out, expected.size()), expected);
    EXPECT_EQ(run.out.find("Opening file A.EVO\nFile size"), std::string::npos);  // no source read
  }
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"T"});
  EXPECT_TRUE(input.unchanged());
}

TEST(BadOutputs, ReadOnlyOutputFolderIsReportedWithTheSystemsReason) {
  const auto prefix = unprivilegedPrefix();
  if (!prefix)
    GTEST_SKIP() << "running as root, and the unprivileged user cannot run the program here: "
                    "permission bits would not apply";
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
  const std::string source = dir.write("T/A.EVO", smallTitle(1));
  const std::string readOnly = dir.file("ro");
  fs::create_directory(readOnly);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
  InputSnapshot input({source});
  for (std::string name : {"A.MPEG-2.stream.0.mpv", "A.rebuilt.EVO"}) {
    const char* command = name == "A.rebuilt.EVO" ? "rebuild" : "demux";
    CliRun run = runCli(
        std::string(command) + " " + shellQuoted(source) + " -o " + shellQuoted(readOnly), *prefix);
    EXPECT_EQ(run.status, 1);
    const std::string expected =
        "Cannot create file \"" + readOnly + "/" + name + "\". Permission denied\nDone.\n\n";
    EXPECT_EQ(tail(run.out, expected.size()), expected) << run.out;
  }
  EXPECT_TRUE(folderEntries(readOnly).empty());
  EXPECT_TRUE(input.unchanged());
}

// A FIFO where an output goes would block a writer until someone reads it.
TEST(BadOutputs, AFifoNobodyReadsInPlaceOfAnOutputFailsAtOnce) {
  TempDir dir;
  const std::string source = dir.write("T/A.EVO", smallTitle(1));
  const std::string fifo = dir.file("A.MPEG-2.stream.0.mpv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  CliRun run = runCli("demux " + shellQuoted(source) + " -o " + shellQuoted(dir.path()));
  EXPECT_EQ(run.status, 1);  // not 124: the time limit did not have to end it
  const std::string expected =
      "Cannot create file \"" + fifo + "\". No such device or address\nDone.\n\n";
  EXPECT_EQ(tail(run.out, expected.size()), expected);
}

// An output name that is a link to a source (symbolic or hard) would be
// truncated when the output is created: the run refuses before that.
TEST(BadOutputs, AnOutputThatIsASourceIsRefusedAndTheSourceKept) {
  for (bool symbolic : {true, false}) {
    for (std::string name : {"FEATURE_2.DD.stream.00.mpa", "FEATURE_2.rebuilt.EVO"}) {
      TempDir dir;
      const std::string first = dir.write("HVDVD_TS/FEATURE_2.EVO", smallTitle(1));
      const std::string second = dir.write("HVDVD_TS/FEATURE_3.EVO", smallTitle(2));
      InputSnapshot inputs({first, second});
      // The output name is a link to the second file of the chain, which
      // the run has not opened yet.
      const bool rebuild = name.ends_with(".rebuilt.EVO");
      const std::string outputName =
          dir.file(rebuild ? "FEATURE_2_MERGED.rebuilt.EVO" : "FEATURE_2_MERGED.DD.stream.00.mpa");
      if (symbolic)
        fs::create_symlink(second, outputName);
      else
        fs::create_hard_link(second, outputName);
      CliRun run = runCli(std::string(rebuild ? "rebuild " : "demux ") + shellQuoted(first) +
                          " -o " + shellQuoted(dir.path()) + " --streams a0");
      EXPECT_EQ(run.status, 1) << name;
      const std::string expected =
          "Cannot create file \"" + outputName +
          "\". It is a source file of this title and would be destroyed.\nDone.\n\n";
      EXPECT_EQ(tail(run.out, expected.size()), expected) << name;
      EXPECT_TRUE(inputs.unchanged()) << name;
      EXPECT_EQ(folderEntries(dir.path()).size(), 2u);  // the sources' folder and the link
    }
  }
}

// Extensions the user typed and captions from a playlist become parts of
// one file name: separators, ".." and control characters cannot make a
// name outside the output folder.
TEST(BadOutputs, NamesFromExtensionsAndCaptionsStayInTheOutputFolder) {
  TempDir dir;
  const std::string source = dir.write("T/A.EVO", smallTitle(1));
  fs::create_directory(dir.file("out"));
  CliRun run = runCli("demux " + shellQuoted(source) + " -o " + shellQuoted(dir.file("out")) +
                      " --video-ext ../up --audio-ext .. --sub-ext $'a\\x01/b'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(folderEntries(dir.file("out")),
            (std::vector<std::string>{"A.DD.stream.00.__", "A.MPEG-2.stream.0..._up",
                                      "A.Subpicture.02.a__b"}));
  EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"T", "out"}));

  Driver d;
  d.source("T/A.EVO", smallTitle(1));
  d.readEvo();
  d.ws.boxes.video[0].caption = "../../x";
  d.ws.boxes.audio[0].caption = "..";
  d.ws.boxes.subpicture[2].caption = "a\nb/c\x7f";
  d.demux();
  EXPECT_EQ(folderEntries(d.dir.path()),
            (std::vector<std::string>{"A..._.._x.mpv", "A.__.mpa", "A.a_b_c_.sup", "T"}));
}

// A log reader that went away must not cost the files: the run goes on to
// its end and every output is whole.
TEST(BadOutputs, AClosedLogPipeDoesNotCutTheOutputs) {
  TempDir dir;
  const std::string source = dir.write("T/A.EVO", bigTitle().bytes);
  fs::create_directory(dir.file("out"));
  // `true` ends at once: nobody will ever read the log. With pipefail the
  // status is the program's (141 if SIGPIPE ended it).
  const CliRun run = runCli("demux " + shellQuoted(source) + " -o " + shellQuoted(dir.file("out")) +
                                " --no-details 2>/dev/null | true",
                            "set -o pipefail;");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(readFileBytes(dir.file("out/A.DD.stream.00.mpa")), BigTitle::audioOfGroups(kGroups));
  EXPECT_EQ(readFileBytes(dir.file("out/A.Subpicture.00.sup")).size(), 14u * kGroups);
}

}  // namespace
}  // namespace vantrel::testing
