// Bad playlists and title set information files: unbalanced tags, huge
// attributes, numbers out of range, binary junk, offsets and counts beyond
// the file, captions that try to leave the output folder, a full disk under
// the chapter file. Each run ends with its exact outcome.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "metadata/chapter_writer.h"
#include "metadata/playlist_reader.h"
#include "metadata/vti_reader.h"
#include "tests/hardening/catalogue_support.h"
#include "tools/psmux/vti_builder.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

std::string tail(const std::string& text, size_t n) {
  return text.size() < n ? text : text.substr(text.size() - n);
}

// A disc folder with FEATURE_1.EVO and the given playlist.
struct Disc {
  TempDir dir;
  std::string source;
  std::string playlist;
  explicit Disc(const std::string& xpl) {
    source = dir.write("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
    playlist = dir.write("ADV_OBJ/VPLST000.XPL", xpl);
  }
  CliRun xpl(const std::string& more = "") const {
    return runCli("xpl " + shellQuoted(playlist) + " --source " + shellQuoted(source) + " -o " +
                  shellQuoted(dir.path()) + more);
  }
};

const char* kGoodTitle =
    "<Playlist displayName=\"P\"><MediaAttributeList>"
    "<AudioAttributeItem index=\"1\" codec=\"AC-3\" channels=\"2\"/></MediaAttributeList>"
    "<TitleSet timeBase=\"60fps\" tickBase=\"60fps\">"
    "<Title displayName=\"T\" titleDuration=\"00:01:00:00\">"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">"
    "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"en\"/>"
    "</PrimaryAudioVideoClip><ChapterList>"
    "<Chapter displayName=\"One\" titleTimeBegin=\"00:00:00:00\"/></ChapterList>"
    "</Title></TitleSet></Playlist>";

// Markup that is not balanced is listed as it stands; the parser reads on
// past each fault, so the title is still found and listed, and the first
// fault is named in one red line.
TEST(BadPlaylists, UnbalancedTagsAreListedAsTheyStand) {
  for (const std::string& damage :
       {std::string("</Title></Title></Playlist></x>"), std::string("<<<<<a"),
        std::string("<Title displayName=\"never closed"), std::string("<!DOCTYPE x><?y"),
        std::string(">>>>")}) {
    Disc disc(damage + kGoodTitle + damage);
    InputSnapshot input({disc.playlist, disc.source});
    const CliRun run = disc.xpl(" --chapters");
    EXPECT_EQ(run.status, 0) << damage;
    EXPECT_NE(run.out.find("AC-3.2ch.s00.en found!\nDone.\n"), std::string::npos) << damage;
    EXPECT_NE(run.out.find(" bytes\nThe playlist is not well-formed at line 1, column "),
              std::string::npos)
        << damage;
    EXPECT_EQ(readFileText(disc.dir.file("FEATURE_1.chapters.txt")),
              "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=One\r\n");
    EXPECT_TRUE(input.unchanged());
  }
}

// Numbers that address nothing are skipped: no box, no line, no other state.
TEST(BadPlaylists, NumbersOutOfRangeAddressNothing) {
  Disc disc(
      "<AudioAttributeItem index=\"0\" codec=\"zero\"/><AudioAttributeItem index=\"9\" "
      "codec=\"nine\"/>"
      "<AudioAttributeItem index=\"-1\" codec=\"minus\"/>"
      "<AudioAttributeItem index=\"99999999999999999999\" codec=\"huge\"/>"
      "<AudioAttributeItem index=\"x1\" codec=\"text\"/>"
      "<Title displayName=\"T\"><PrimaryAudioVideoClip src=\"FEATURE_1.MAP\">"
      "<Video track=\"0\"/><Video track=\"17\"/><Video track=\"-2\"/>"
      "<Audio streamNumber=\"17\" mediaAttr=\"9\"/><Audio streamNumber=\"0\"/>"
      "<Audio streamNumber=\"4294967297\"/><Subtitle streamNumber=\"33\"/>"
      "<Audio streamNumber=\"16\" mediaAttr=\"-5\" description=\"last\"/>"
      "<Subtitle streamNumber=\"32\" mediaAttr=\"99999999999\" description=\"top\"/>"
      "</PrimaryAudioVideoClip></Title>");
  const CliRun run = disc.xpl();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find("\nPlaylist:")),
            "Open VPLST000.XPL\nFilesize: " + std::to_string(fs::file_size(disc.playlist)) +
                " bytes\nThe playlist is not well-formed at line 1, column 45: junk after "
                "document element.\n.s15.last found!\n.s31.top found!\nDone.\n\n");
}

// A 4 MiB attribute value: read, listed, and made safe as a file name part.
// Every "<" of junk opens a tag whose line is indented: a large file of them
// would list hundreds of times its own size. The listing stops in time.
TEST(BadPlaylists, AListingThatWouldFillMemoryStops) {
  std::string junk;
  for (int i = 0; i < (1 << 19); ++i) junk += "<>";
  Disc disc(junk);
  const CliRun run = disc.xpl();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("The playlist is too large: its listing stops after 64 MiB.\nDone.\n"),
            std::string::npos)
      << tail(run.out, 300);
}

TEST(BadPlaylists, HugeAttributesAreReadWhole) {
  const std::string huge(4u << 20, 'x');
  Disc disc("<Playlist displayName=\"" + huge + "\"><AudioAttributeItem index=\"1\" codec=\"" +
            huge +
            "\"/><Title displayName=\"T\"><PrimaryAudioVideoClip src=\"FEATURE_1.MAP\">"
            "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"" +
            huge +
            "/..\"/>"
            "<Chapter displayName=\"" +
            huge + "\" titleTimeBegin=\"" + huge +
            "\"/>"
            "</PrimaryAudioVideoClip></Title></Playlist>");
  const CliRun run = disc.xpl(" --chapters");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find(huge + ".s00." + huge + "/.. found!\nDone.\n"), std::string::npos);
  EXPECT_EQ(readFileText(disc.dir.file("FEATURE_1.chapters.txt")),
            "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=" + huge + "\r\n");  // no time code
}

// Bytes that are no text at all: listed, nothing found, nothing written.
TEST(BadPlaylists, BinaryJunkEndsWithNothingFound) {
  std::mt19937 random(11);
  std::string junk(256 * 1024 + 7, '\0');  // more than one read chunk
  for (char& c : junk) c = char(random());
  junk[1000] = '\0';
  Disc disc(junk);
  InputSnapshot input({disc.playlist});
  const CliRun run = disc.xpl(" --chapters");
  EXPECT_EQ(run.status, 1);  // --chapters without chapters is an error
  EXPECT_EQ(run.out.substr(0, run.out.find("\nPlaylist:")),
            "Open VPLST000.XPL\nFilesize: 262151 bytes\nThe playlist is not well-formed at "
            "line 1, column 1: not well-formed (invalid token).\nDone.\n\n");
  EXPECT_NE(run.out.find("The playlist holds no chapters for FEATURE_1.EVO.\n"), std::string::npos);
  EXPECT_EQ(folderEntries(disc.dir.path()), (std::vector<std::string>{"ADV_OBJ", "HVDVD_TS"}));
  EXPECT_TRUE(input.unchanged());
}

// Captions come from the playlist's text: whatever it holds, the outputs
// of Demux stay in the output folder, named with the unsafe characters
// replaced.
TEST(BadPlaylists, CaptionsWithSeparatorsDotsAndControlsStayInTheFolder) {
  Driver d;
  d.source("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  const std::string xpl = d.dir.write(
      "ADV_OBJ/VPLST000.XPL",
      std::string("<VideoAttributeItem index=\"1\" codec=\"../..\"/>"
                  "<AudioAttributeItem index=\"1\" codec=\"AC-3\" channels=\"2\"/>"
                  "<SubpictureAttributeItem index=\"1\" codec=\"..\"/>"
                  "<Title displayName=\"T\"><PrimaryAudioVideoClip src=\"FEATURE_1.MAP\">"
                  "<Video track=\"1\" mediaAttr=\"1\"/>"
                  "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"../../x\x7f\x1b[31m\"/>"
                  "<Subtitle streamNumber=\"3\" mediaAttr=\"1\" description=\"/\"/>"
                  "</PrimaryAudioVideoClip></Title>"));
  InputSnapshot inputs({xpl, d.ws.paths.eEVOfile});
  d.readEvo();
  PlaylistView view;
  readPlaylist(d.ws, view);
  // Inside a tag, control bytes were already read as blanks.
  EXPECT_EQ(d.ws.boxes.audio[0].caption, "AC-3.2ch.s00.../../x\x7f [31m");
  d.demux();
  std::vector<std::string> expected = {"ADV_OBJ", "FEATURE_1..._...s0.mpv",
                                       "FEATURE_1.AC-3.2ch.s00..._.._x_ [31m.mpa",
                                       "FEATURE_1....s02._.sup", "HVDVD_TS"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folderEntries(d.dir.path()), expected);
  EXPECT_EQ(readFileBytes(d.dir.file("FEATURE_1.AC-3.2ch.s00..._.._x_ [31m.mpa")),
            (Bytes{0x0B, 0x77, 1}));
  EXPECT_TRUE(inputs.unchanged());
}

// The chapter file meets a full disk when it is closed; a missing folder
// when it is created. Both are reported; the button can be used again.
TEST(BadPlaylists, ChapterFileOnAFullDiskOrInAMissingFolder) {
  Disc disc(kGoodTitle);
  const std::string chapters = disc.dir.file("FEATURE_1.chapters.txt");
  fs::create_symlink("/dev/full", chapters);
  CliRun run = disc.xpl(" --chapters");
  EXPECT_EQ(run.status, 1);
  const std::string full = "Cannot write file \"" + chapters + "\". No space left on device\n";
  EXPECT_EQ(tail(run.out, full.size()), full);

  run = runCli("xpl " + shellQuoted(disc.playlist) + " --source " + shellQuoted(disc.source) +
               " --chapters -o " + shellQuoted(disc.dir.file("none")));
  EXPECT_EQ(run.status, 1);
  const std::string expected = "Cannot create file \"" + disc.dir.file("none") +
                               "/FEATURE_1.chapters.txt\". No such file or directory\n";
  EXPECT_EQ(tail(run.out, expected.size()), expected);

  Driver d;
  d.source("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  d.dir.write("ADV_OBJ/VPLST000.XPL", std::string(kGoodTitle));
  PlaylistView view;
  readPlaylist(d.ws, view);
  fs::create_symlink("/dev/full", d.dir.file("FEATURE_1.chapters.txt"));
  EXPECT_THROW(writeChapterFile(d.ws, view), FileError);
  EXPECT_TRUE(d.host.buttons.writeChaps);
}

// ---------------------------------------------------------------------------
// Title set information

struct VtiRun {
  TempDir dir;
  CliRun run;
  explicit VtiRun(const Bytes& bytes) {
    const std::string path = dir.write("HVDVD_TS/HVA00001.VTI", bytes);
    InputSnapshot input({path});
    run = runCli("vti " + shellQuoted(dir.file("HVDVD_TS")));
    EXPECT_TRUE(input.unchanged());
  }
};

psmux::VtiLayout oneEntry() {
  psmux::VtiLayout layout;
  psmux::VtiEntry entry;
  entry.audio = {{psmux::vti_code::kDdPlus, psmux::vti_code::k48kHz, 0}};
  layout.entries = {entry};
  return layout;
}

const std::string kHeaderLines = "Reading HVA00001.VTI\nCategory: Advanced VTS\n";

TEST(BadTitleSets, OffsetsAndCountsBeyondTheFileStopTheReportInRed) {
  {  // the attribute table lies beyond the end
    psmux::VtiLayout layout = oneEntry();
    Bytes bytes = psmux::buildVti(layout);
    psmux::set32(bytes, 184, 0x00100000);
    VtiRun vti(bytes);
    EXPECT_EQ(vti.run.status, 1);
    EXPECT_EQ(vti.run.out,
              kHeaderLines + "00100000\n00000000\nThe file ends before the attribute table (byte " +
                  std::to_string(0x00100000ull * 2048) + ", file size " +
                  std::to_string(bytes.size()) + "); report stopped.\n");
  }
  {  // 65,535 entries in a file that holds one
    psmux::VtiLayout layout = oneEntry();
    layout.entryCountOverride = 0xFFFF;
    const Bytes bytes = psmux::buildVti(layout);
    VtiRun vti(bytes);
    EXPECT_EQ(vti.run.status, 1);
    EXPECT_EQ(vti.run.out, kHeaderLines +
                               "00000001\n00000000\nATR #1\nMain Video: VC-1, 16:9, 1920x1080\n"
                               "Main Audio stream: 1\n  0: DD/DD+, 48 kHz\n"
                               "The file ends before ATR #2 (byte " +
                               std::to_string(2048 + 16 + 1024) + ", file size " +
                               std::to_string(bytes.size()) + "); report stopped.\n");
  }
  {  // 65,535 audio attributes, and a first entry far beyond the table
    psmux::VtiLayout layout = oneEntry();
    layout.entries[0].audioCountOverride = 0xFFFF;
    Bytes bytes = psmux::buildVti(layout);
    VtiRun many(bytes);
    EXPECT_EQ(many.run.status, 1);
    EXPECT_NE(many.run.out.find("Main Audio stream: 65535\n  0: DD/DD+, 48 kHz\n"),
              std::string::npos);
    EXPECT_TRUE(
        many.run.out.ends_with("The file ends before the audio attributes of ATR #1 (byte 3088, "
                               "file size 3088); report stopped.\n"))
        << many.run.out;
    bytes = psmux::buildVti(oneEntry());
    psmux::set32(bytes, 2048 + 8, 0xFFFFFFF0);  // E
    VtiRun far(bytes);
    EXPECT_EQ(far.run.status, 1);
    EXPECT_NE(far.run.out.find("The file ends before ATR #1 (byte " +
                               std::to_string(2048 + 0xFFFFFFF0ull)),
              std::string::npos);
  }
}

// Files cut at every offset of the header, the table and the entry: the
// report always ends, with the red line exactly when something is missing.
TEST(BadTitleSets, CutAtEveryOffsetTheReportEnds) {
  const Bytes whole = psmux::buildVti(oneEntry());
  TempDir dir;
  for (size_t cut = 0; cut < whole.size();
       cut += (cut < 200 || (cut > 2040 && cut < 2100)) ? 1 : 97) {
    Driver d;
    d.dir.write("HVDVD_TS/HVA00001.VTI", Bytes(whole.begin(), whole.begin() + long(cut)));
    d.ws.paths.EVOdir = d.dir.file("HVDVD_TS/");
    readTitleSetInfo(d.ws);
    const bool stopped = d.lines().back().ends_with("; report stopped.[/re]");
    EXPECT_EQ(d.ws.errorsLogged, stopped ? 1 : 0) << cut;
    // Shorter than 12 bytes: not even the identifier. From 2,084 bytes on,
    // the file holds every field of its one entry that the report reads.
    EXPECT_EQ(stopped, cut >= 12 && cut < 2048 + 16 + 16 + 4) << cut;
    if (cut < 12) {
      EXPECT_EQ(d.lines(), std::vector<std::string>{"Reading [b]HVA00001.VTI[/b]"});
    }
  }
}

TEST(BadTitleSets, EmptyJunkFolderAndFifoInPlaceOfTheFile) {
  EXPECT_EQ(VtiRun(Bytes{}).run.out, "Reading HVA00001.VTI\n");
  std::mt19937 random(3);
  Bytes junk(8192);
  for (auto& b : junk) b = uint8_t(random());
  const VtiRun junkRun(junk);
  EXPECT_EQ(junkRun.run.status, 0);
  EXPECT_EQ(junkRun.run.out, "Reading HVA00001.VTI\n");  // another identifier: nothing more
  Bytes advancedJunk = junk;
  std::copy_n("ADVANCED-VTS", 12, advancedJunk.begin());
  const VtiRun advanced(advancedJunk);
  EXPECT_NE(advanced.run.status, 124);
  EXPECT_EQ(advanced.run.out.rfind(kHeaderLines.substr(0, 21), 0), 0u);

  TempDir dir;
  fs::create_directories(dir.file("a/HVA00001.VTI"));
  CliRun folder = runCli("vti " + shellQuoted(dir.file("a")));
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.out, "HVA00001.VTI not found\n");
  fs::create_directories(dir.file("b"));
  const std::string fifo = dir.file("b/HVA00001.VTI");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  CliRun fifoRun = runCli("vti " + shellQuoted(dir.file("b")));
  EXPECT_EQ(fifoRun.status, 1);
  EXPECT_EQ(fifoRun.out, "HVA00001.VTI not found\n");
}

}  // namespace
}  // namespace vantrel::testing
