#include "metadata/playlist_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_io.h"
#include "workspace/source_paths.h"
#include "metadata/tree_text.h"
#include "tests/support/recording_driver_host.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingDriverHost;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempDir;

// A playlist in the HD DVD structure: declaration, document type, a comment,
// attribute items, a menu title and the feature whose clip names the source,
// one clip tag spread over two lines.
const char* const kDisc =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE Playlist>\n"
    "<Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\"\n"
    "\tdisplayName=\"Test Disc\" majorVersion=\"1\">\n"
    "\t<!-- attribute items -->\n"
    "\t<MediaAttributeList>\n"
    "\t\t<VideoAttributeItem index=\"1\" codec=\"VC-1\"/>\n"
    "\t\t<AudioAttributeItem index=\"1\" codec=\"DD+\" channels=\"6\"/>\n"
    "\t\t<AudioAttributeItem index=\"2\" codec=\"DTS-HD\" channels=\"\"/>\n"
    "\t\t<SubpictureAttributeItem index=\"1\" codec=\"8bitRLC\"/>\n"
    "\t</MediaAttributeList>\n"
    "\t<TitleSet timeBase=\"60fps\" tickBase=\"24fps\">\n"
    "\t\t<Title id=\"menu\" displayName=\"Menu\" titleDuration=\"00:00:30:00\">\n"
    "\t\t\t<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/MENU.MAP\"/>\n"
    "\t\t</Title>\n"
    "\t\t<Title id=\"feature\" displayName=\"Feature\" titleDuration=\"01:30:00:00\">\n"
    "\t\t\t<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\"\n"
    "\t\t\t\ttitleTimeBegin=\"00:00:00:00\">\n"
    "\t\t\t\t<Video track=\"1\" mediaAttr=\"1\"/>\n"
    "\t\t\t\t<Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"English\"/>\n"
    "\t\t\t\t<Audio track=\"2\" streamNumber=\"3\" mediaAttr=\"2\" description=\"Commentary\"/>\n"
    "\t\t\t\t<Subtitle track=\"1\" streamNumber=\"2\" mediaAttr=\"1\" description=\"French\"/>\n"
    "\t\t\t</PrimaryAudioVideoClip>\n"
    "\t\t\t<ChapterList>\n"
    "\t\t\t\t<Chapter displayName=\"Opening\" titleTimeBegin=\"00:00:00:00\"/>\n"
    "\t\t\t\t<Chapter displayName=\"Middle\" titleTimeBegin=\"00:45:10:30\"/>\n"
    "\t\t\t</ChapterList>\n"
    "\t\t</Title>\n"
    "\t</TitleSet>\n"
    "</Playlist>\n";

// The whole document as the listing shows it. The document type declaration
// is never closed, so everything after it sits one step deeper.
const std::vector<std::string> kDiscListing = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
    "<!DOCTYPE Playlist>",
    "  <Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\" "
    "displayName=\"Test Disc\" majorVersion=\"1\">",
    "    <!-- attribute items -->",
    "    <MediaAttributeList>",
    "      <VideoAttributeItem index=\"1\" codec=\"VC-1\"/>",
    "      <AudioAttributeItem index=\"1\" codec=\"DD+\" channels=\"6\"/>",
    "      <AudioAttributeItem index=\"2\" codec=\"DTS-HD\" channels=\"\"/>",
    "      <SubpictureAttributeItem index=\"1\" codec=\"8bitRLC\"/>",
    "    </MediaAttributeList>",
    "    <TitleSet timeBase=\"60fps\" tickBase=\"24fps\">",
    "      <Title id=\"menu\" displayName=\"Menu\" titleDuration=\"00:00:30:00\">",
    "        <PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/MENU.MAP\"/>",
    "      </Title>",
    "      <Title id=\"feature\" displayName=\"Feature\" titleDuration=\"01:30:00:00\">",
    "        <PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\" "
    "titleTimeBegin=\"00:00:00:00\">",
    "          <Video track=\"1\" mediaAttr=\"1\"/>",
    "          <Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"English\"/>",
    "          <Audio track=\"2\" streamNumber=\"3\" mediaAttr=\"2\" description=\"Commentary\"/>",
    "          <Subtitle track=\"1\" streamNumber=\"2\" mediaAttr=\"1\" description=\"French\"/>",
    "        </PrimaryAudioVideoClip>",
    "        <ChapterList>",
    "          <Chapter displayName=\"Opening\" titleTimeBegin=\"00:00:00:00\"/>",
    "          <Chapter displayName=\"Middle\" titleTimeBegin=\"00:45:10:30\"/>",
    "        </ChapterList>",
    "      </Title>",
    "    </TitleSet>",
    "  </Playlist>",
};

class ReadXpl : public ::testing::Test {
 protected:
  // Chooses the source and the playlist as the window's path rules do.
  void choose(const std::string& playlistText, const std::string& source) {
    ws.paths.eEVOfile = dir.path() + "/HVDVD_TS/" + source;
    EVOadj(ws.paths, ws.buttons);
    writePlaylist(playlistText);
  }
  void writePlaylist(const std::string& text) {
    dir.write("ADV_OBJ/VPLST000.XPL", text);
    ws.paths.eXPLfile = dir.file("ADV_OBJ/VPLST000.XPL");
    XPLadj(ws.paths, ws.buttons);
  }
  std::vector<std::string> tree() const { return treeLines(view.tvXPL); }

  TempDir dir;
  RecordingDriverHost host;
  Workspace ws{host};
  PlaylistView view;
};

TEST_F(ReadXpl, KeepsTheTitleThatPlaysTheSource) {
  choose(kDisc, "FEATURE_1.EVO");
  readPlaylist(ws, view);

  EXPECT_EQ(view.mXPL, std::vector<std::string>(kDiscListing.begin() + 14, kDiscListing.end() - 2));
  EXPECT_THAT(tree(),
              ElementsAre("Info", "  Title: Test Disc", "  Name: Feature",
                          "  Duration: 01:30:00:00", "  TimeBase: 60fps", "  TickBase: 24fps",
                          "Video", "  VC-1.s0", "Audio", "  DD+.6ch.s00.English",
                          "  DTS-HD.s02.Commentary", "Subtitle", "  8bitRLC.s01.French", "Chapter",
                          "  00:00:00:00: Opening", "  00:45:10:30: Middle"));
  EXPECT_THAT(view.mChapter, ElementsAre("CHAPTER01=00:00:00.000", "CHAPTER01NAME=Opening",
                                         "CHAPTER02=00:45:13.211", "CHAPTER02NAME=Middle"));
  const std::string size = std::to_string(std::string(kDisc).size());
  EXPECT_THAT(host.lines,
              ElementsAre("Open VPLST000.XPL", "Filesize: " + size + " bytes", "VC-1.s0 found!",
                          "DD+.6ch.s00.English found!", "DTS-HD.s02.Commentary found!",
                          "8bitRLC.s01.French found!", "Done.", ""));
  EXPECT_THAT(host.statusHistory,
              ElementsAre("1:" + size + "/" + size + " bytes", "0:Ready", "1:"));
  EXPECT_THAT(host.pages, ElementsAre(4));
}

TEST_F(ReadXpl, CaptionsTicksAndMarksTheTracks) {
  choose(kDisc, "FEATURE_1.EVO");
  readPlaylist(ws, view);

  const StreamBoxes& boxes = ws.boxes;
  EXPECT_EQ(boxes.video[0], (StreamBox{true, true, "VC-1.s0", ""}));
  EXPECT_EQ(boxes.audio[0], (StreamBox{true, true, "DD+.6ch.s00.English", "DD+.6ch.s00.English"}));
  EXPECT_EQ(boxes.audio[2],
            (StreamBox{true, true, "DTS-HD.s02.Commentary", "DTS-HD.s02.Commentary"}));
  EXPECT_EQ(boxes.subpicture[1],
            (StreamBox{true, true, "8bitRLC.s01.French", "8bitRLC.s01.French"}));
  EXPECT_EQ(boxes.video[1], (StreamBox{false, false, "No video stream", ""}));
  EXPECT_EQ(boxes.audio[1], (StreamBox{false, false, "No audio stream", ""}));
  EXPECT_EQ(boxes.subpicture[0].caption, "No subpicture");
  EXPECT_FALSE(boxes.subpicture[0].ticked);
  EXPECT_EQ(host.boxes, boxes);  // the front end saw the final state

  const ProcessingState& state = ws.session.state;
  EXPECT_THAT(state.VideoStreamId, ElementsAre(1, -1));
  EXPECT_EQ(state.AudioStreamId[0], 1);
  EXPECT_EQ(state.AudioStreamId[1], -1);
  EXPECT_EQ(state.AudioStreamId[2], 1);
  EXPECT_EQ(state.SubpictureStreamId[1], 1);
  EXPECT_EQ(state.SubpictureStreamId[0], -1);
  EXPECT_EQ(ws.catalogueOrigin, CatalogueOrigin::ReadXpl);
}

TEST_F(ReadXpl, ButtonsDuringAndAfterTheRun) {
  choose(kDisc, "FEATURE_1.EVO");
  ws.buttons.readEVO = false;  // e.g. during nothing chosen yet: stays as it was
  readPlaylist(ws, view);

  ASSERT_GE(host.buttonHistory.size(), 2u);
  const OperationButtons& during = host.buttonHistory.front();
  EXPECT_FALSE(during.readXPL);
  EXPECT_FALSE(during.readEVO);
  EXPECT_FALSE(during.browseEVO);
  EXPECT_FALSE(during.browseXPL);

  const OperationButtons& after = ws.buttons;
  EXPECT_EQ(host.buttonHistory.back(), after);
  EXPECT_TRUE(after.readXPL);
  EXPECT_FALSE(after.readEVO);
  EXPECT_TRUE(after.browseEVO);
  EXPECT_TRUE(after.browseXPL);
  EXPECT_TRUE(after.writeChaps);
  EXPECT_TRUE(after.demux);    // ticked boxes enable Demux without any Read EVO
  EXPECT_TRUE(after.rebuild);  // and Rebuild for an ".EVO" source
}

TEST_F(ReadXpl, SourceNotInThePlaylistGivesOnlyTheListing) {
  choose(kDisc, "FEATURE_1.EVO");
  readPlaylist(ws, view);
  const auto treeBefore = view.tvXPL;
  host.lines.clear();

  ws.paths.eEVOfile = dir.path() + "/HVDVD_TS/OTHER.EVO";
  EVOadj(ws.paths, ws.buttons);
  readPlaylist(ws, view);

  EXPECT_EQ(view.mXPL, kDiscListing);
  EXPECT_EQ(view.tvXPL, treeBefore);  // the tree stays as it was
  EXPECT_TRUE(view.mChapter.empty());
  EXPECT_FALSE(ws.buttons.writeChaps);
  EXPECT_FALSE(ws.buttons.demux);
  EXPECT_FALSE(ws.boxes.anyTicked());
  EXPECT_THAT(ws.session.state.VideoStreamId, ElementsAre(-1, -1));
  EXPECT_THAT(host.lines, ElementsAre("Open VPLST000.XPL", ::testing::_, "Done.", ""));
}

TEST_F(ReadXpl, ClipOutsideEveryTitleKeepsNoTitle) {
  // A first-play clip must not borrow the title that follows it; a src on
  // the root is no clip.
  const std::string doc =
      "<Playlist src=\"INTRO.MAP\">\n"
      "<FirstPlayTitle><Clip src=\"FIRST.MAP\"/></FirstPlayTitle>\n"
      "<Title displayName=\"Feature\"><Clip src=\"INTRO.MAP\"/>"
      "<Chapter displayName=\"c\" titleTimeBegin=\"00:00:00:00\"/></Title></Playlist>";
  choose(doc, "FIRST.EVO");
  readPlaylist(ws, view);
  EXPECT_EQ(view.mXPL.size(), 9u);
  EXPECT_TRUE(view.tvXPL.empty());
  EXPECT_TRUE(view.mChapter.empty());
  EXPECT_FALSE(ws.buttons.writeChaps);

  choose(doc, "INTRO.EVO");
  readPlaylist(ws, view);
  EXPECT_THAT(view.mChapter, ElementsAre("CHAPTER01=00:00:00.000", "CHAPTER01NAME=c"));
}

// Tags match by their whole names and comments are not content: a
// "</TitleResource>" does not end the title, a commented-out chapter or
// track is not one. Tracks without streamNumber or mediaAttr take 1; the
// languages of TrackNavigationList follow the track in tree and hints. A
// file that is not UTF-8 is read as Latin-1.
TEST_F(ReadXpl, WholeNamesCommentsDefaultsAndLanguages) {
  choose(
      "<Playlist><MediaAttributeList><AudioAttributeItem index=\"1\" codec=\"DTS-HD\">"
      "</AudioAttributeItem><!-- <AudioAttributeItem index=\"1\" codec=\"LPCM\"/> -->"
      "<SubpictureAttributeItem index=\"1\" codec=\"8bitRLC\"/></MediaAttributeList>\n"
      "<TitleSet timeBase=\"60fps\"><Title displayName=\"T\">\n"
      "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/MOVIE.MAP\">"
      "<Audio track=\"2\" description=\"Fran\xe7" "ais DTS-HD\"></Audio>"  // Latin-1
      "<!-- <Audio track=\"1\" streamNumber=\"2\" description=\"gone\"/> -->"
      "<Subtitle track=\"1\" streamNumber=\"3\"/></PrimaryAudioVideoClip>\n"
      "<AdvancedSubtitleSegment src=\"a.xmf\"><Subtitle track=\"1\"/></AdvancedSubtitleSegment>\n"
      "<TitleResource src=\"r.aca\" titleTimeBegin=\"00:00:00:00\"></TitleResource>\n"
      "<ChapterList><Chapter displayName=\"One\" titleTimeBegin=\"00:00:00:00\"></Chapter>"
      "<!-- <Chapter displayName=\"Cut\" titleTimeBegin=\"00:01:00:00\"/> -->"
      "<Chapter displayName=\"Two\" titleTimeBegin=\"01:00:00:00\"></Chapter></ChapterList>\n"
      "<TrackNavigationList><AudioTrack track=\"2\" langcode=\"fr:01\"/>"
      "<SubtitleTrack track=\"1\" langcode=\"*:00\"/></TrackNavigationList>\n"
      "</Title></TitleSet></Playlist>\n",
      "MOVIE.EVO");
  readPlaylist(ws, view);
  EXPECT_THAT(tree(), ElementsAre("Info", "  Name: T", "  Duration: ", "  TimeBase: 60fps",
                                  "  TickBase: ", "Video", "Audio", "  DTS-HD.s00.Français DTS-HD [fr]",
                                  "Subtitle", "  8bitRLC.s02.Français DTS-HD", "Chapter",
                                  "  00:00:00:00: One", "  01:00:00:00: Two"));
  EXPECT_THAT(view.mChapter, ElementsAre("CHAPTER01=00:00:00.000", "CHAPTER01NAME=One",
                                         "CHAPTER02=01:00:03.600", "CHAPTER02NAME=Two"));
  EXPECT_EQ(ws.boxes.audio[0],
            (StreamBox{true, true, "DTS-HD.s00.Français DTS-HD", "DTS-HD.s00.Français DTS-HD [fr]"}));
  EXPECT_FALSE(ws.boxes.audio[1].enabled);
  EXPECT_EQ(view.mXPL.back(), "    </Title>");
  EXPECT_THAT(host.lines, ::testing::Not(::testing::Contains(HasSubstr("well-formed"))));
}

TEST_F(ReadXpl, NameInTwoTitlesKeepsTheFirst) {
  const std::string doc =
      "<Playlist><TitleSet>\n"
      "<Title displayName=\"One\"><Clip src=\"A.MAP\"/><Chapter displayName=\"1\" "
      "titleTimeBegin=\"00:00:01:00\"/></Title>\n"
      "<Title displayName=\"Two\"><Clip src=\"A.MAP\"/><Chapter displayName=\"2\" "
      "titleTimeBegin=\"00:00:02:00\"/></Title>\n"
      "</TitleSet></Playlist>";
  choose(doc, "A.EVO");
  readPlaylist(ws, view);
  EXPECT_THAT(view.mXPL,
              ElementsAre("    <Title displayName=\"One\">", "      <Clip src=\"A.MAP\"/>",
                          "      <Chapter displayName=\"1\" titleTimeBegin=\"00:00:01:00\"/>",
                          "    </Title>"));
  EXPECT_THAT(view.mChapter, ElementsAre("CHAPTER01=00:00:01.001", "CHAPTER01NAME=1"));
}

TEST_F(ReadXpl, TitleWithoutItsClosingTagRunsToTheEnd) {
  choose("<Playlist>\n<Title displayName=\"T\">\n<Clip src=\"A.MAP\"/>\n<Video track=\"1\"/>",
         "A.EVO");
  readPlaylist(ws, view);
  EXPECT_THAT(view.mXPL, ElementsAre("  <Title displayName=\"T\">", "    <Clip src=\"A.MAP\"/>",
                                     "    <Video track=\"1\"/>"));
}

// Numbers outside the tables, repeated values and odd chapter times.
const char* const kOddities =
    "<Playlist>\n"
    "<MediaAttributeList>\n"
    "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n"
    "<AudioAttributeItem index=\"9\" codec=\"NINE\"/>\n"
    "<AudioAttributeItem index=\"0\" codec=\"ZERO\"/>\n"
    "<AudioAttributeItem codec=\"NOINDEX\"/>\n"
    "<AudioAttributeItem index=\"x\" codec=\"NAN\"/>\n"
    "<AudioAttributeItem index=\"1\" codec=\"AC-3\"/>\n"
    "<AudioAttributeItem index=\"2\"/>\n"
    "</AudioAttributeItem>\n"
    "</MediaAttributeList>\n"
    "<TitleSet timeBase=\"60fps\">\n"
    "<Title displayName=\"T\" titleDuration=\"00:01:00:00\">\n"
    "<Clip src=\"MOVIE.MAP\"/>\n"
    "<Video track=\"17\" mediaAttr=\"1\"/>\n"
    "<Video track=\"2\" mediaAttr=\"1\"/>\n"
    "<Video mediaAttr=\"1\"/>\n"
    "<Audio streamNumber=\"0\" mediaAttr=\"1\" description=\"zero\"/>\n"
    "<Audio streamNumber=\"17\" mediaAttr=\"1\" description=\"seventeen\"/>\n"
    "<Audio streamNumber=\"-1\" mediaAttr=\"1\" description=\"minus\"/>\n"
    "<Audio streamNumber=\"16\" mediaAttr=\"2\" description=\"last\"/>\n"
    "<Audio streamNumber=\"16\" mediaAttr=\"1\" description=\"again\"/>\n"
    "<Audio streamNumber=\"1\" mediaAttr=\"9\" description=\"noattr\"/>\n"
    "<Subtitle streamNumber=\"32\" mediaAttr=\"1\" description=\"s32\"/>\n"
    "<Subtitle streamNumber=\"33\" mediaAttr=\"1\"/>\n"
    "<Audio streamNumber=\"2\" mediaAttr=\"1\"/>\n"
    "<Chapter titleTimeBegin=\"00:00:01\"/>\n"
    "<Chapter displayName=\"Two\" titleTimeBegin=\"00:00:02:xx\"/>\n"
    "<Chapter titleTimeBegin=\"00:00:03:6\"/>\n"
    "</Title>\n"
    "</TitleSet>\n"
    "</Playlist>\n";

TEST_F(ReadXpl, NumbersOutsideTheTablesTouchNothing) {
  view.VideoAttributeTable[1] = "kept";
  choose(kOddities, "MOVIE.EVO");
  readPlaylist(ws, view);

  EXPECT_EQ(view.VideoAttributeTable[0], "MPEG-2");
  EXPECT_EQ(view.VideoAttributeTable[1], "kept");
  EXPECT_EQ(view.AudioAttributeTable[0], "AC-3");
  EXPECT_EQ(view.AudioAttributeTable[1], "AC-3");  // an item without codec repeats the one before
  for (size_t i = 2; i < view.AudioAttributeTable.size(); ++i)
    EXPECT_EQ(view.AudioAttributeTable[i], "") << i;

  // Track 2 is listed but only track 1 has a box; tracks without a slot are
  // left out; a mediaAttr without an entry gives an empty codec name; a
  // track without description repeats the one before (here a subtitle's).
  EXPECT_THAT(tree(),
              ElementsAre("Info", "  Name: T", "  Duration: 00:01:00:00", "  TimeBase: 60fps",
                          "  TickBase: ", "Video", "  MPEG-2.s1", "Audio", "  AC-3.s15.last",
                          "  .s00.noattr", "  AC-3.s01.s32", "Subtitle", "  .s31.s32", "Chapter",
                          "  00:00:01: ", "  00:00:02:xx: Two", "  00:00:03:6: Two"));
  EXPECT_THAT(host.lines, ElementsAre("Open VPLST000.XPL", ::testing::_,
                                      "[re]The playlist is not well-formed at line 10, column 3: "
                                      "mismatched tag.[/re]",
                                      "MPEG-2.s1 found!",
                                      "AC-3.s15.last found!", ".s00.noattr found!",
                                      ".s31.s32 found!", "AC-3.s01.s32 found!", "Done.", ""));
  EXPECT_THAT(view.mChapter,
              ElementsAre("CHAPTER01=00:00:01.001", "CHAPTER01NAME=", "CHAPTER02=00:00:02.002",
                          "CHAPTER02NAME=Two", "CHAPTER03=00:00:03.103", "CHAPTER03NAME=Two"));

  EXPECT_FALSE(ws.boxes.video[0].enabled);
  EXPECT_FALSE(ws.boxes.video[1].enabled);
  EXPECT_THAT(ws.session.state.VideoStreamId, ElementsAre(-1, 1));
  EXPECT_EQ(ws.boxes.audio[15].caption, "AC-3.s15.last");
  EXPECT_EQ(ws.boxes.subpicture[31].hint, ".s31.s32");
  int ticked = 0;
  for (const auto& box : ws.boxes.audio) ticked += box.ticked;
  for (const auto& box : ws.boxes.subpicture) ticked += box.ticked;
  EXPECT_EQ(ticked, 4);
}

TEST_F(ReadXpl, AttributeTablesOutliveTheRun) {
  choose("<Playlist><VideoAttributeItem index=\"2\" codec=\"AVC\"/></Playlist>", "X.EVO");
  readPlaylist(ws, view);
  writePlaylist(
      "<Playlist><VideoAttributeItem index=\"1\" codec=\"VC-1\"/>\n"
      "<Title displayName=\"T\"><Clip src=\"X.MAP\"/><Video track=\"1\" mediaAttr=\"2\"/>"
      "</Title></Playlist>");
  readPlaylist(ws, view);
  EXPECT_EQ(view.VideoAttributeTable[0], "VC-1");
  EXPECT_EQ(view.VideoAttributeTable[1], "AVC");
  EXPECT_EQ(ws.boxes.video[0].caption, "AVC.s0");
}

TEST_F(ReadXpl, ReadingTwiceGivesTheSameResult) {
  choose(kDisc, "FEATURE_1.EVO");
  readPlaylist(ws, view);
  const PlaylistView first = view;
  const auto firstLog = host.lines;
  const StreamBoxes firstBoxes = ws.boxes;
  host.lines.clear();

  readPlaylist(ws, view);
  EXPECT_EQ(view.mXPL, first.mXPL);
  EXPECT_EQ(view.tvXPL, first.tvXPL);
  EXPECT_EQ(view.mChapter, first.mChapter);
  EXPECT_EQ(host.lines, firstLog);
  EXPECT_EQ(ws.boxes, firstBoxes);
}

TEST_F(ReadXpl, LineBreaksOfEitherKindGiveTheSameListing) {
  std::string crlf;
  for (char c : std::string(kDisc)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  choose(crlf, "OTHER.EVO");
  readPlaylist(ws, view);
  EXPECT_EQ(view.mXPL, kDiscListing);
}

TEST_F(ReadXpl, PlaylistLargerThanAChunk) {
  // Pad with comments so that the closing tag of the title straddles the
  // first chunk boundary: "<" is its last byte and "/" the next chunk's first.
  const std::string head = "<Playlist>\n<Title displayName=\"Big\">\n<Clip src=\"BIG.MAP\"/>\n";
  std::string doc = head;
  while (doc.size() + 20 < 262'144) doc += "<!-- filler -->\n";
  doc += std::string(262'143 - doc.size(), ' ');
  doc += "</Title>\n<Title displayName=\"After\"/>\n</Playlist>\n";
  choose(doc, "BIG.EVO");
  readPlaylist(ws, view);

  ASSERT_GE(view.mXPL.size(), 3u);
  EXPECT_EQ(view.mXPL.front(), "  <Title displayName=\"Big\">");
  EXPECT_EQ(view.mXPL.back(), "  </Title>");
  const std::string size = std::to_string(doc.size());
  EXPECT_THAT(host.statusHistory,
              ElementsAre("1:262144/" + size + " bytes", "1:" + size + "/" + size + " bytes",
                          "0:Ready", "1:"));
}

TEST_F(ReadXpl, MissingPlaylistRaisesAndGivesTheButtonsBack) {
  ws.paths.eEVOfile = "/nonexistent/HVDVD_TS/FEATURE_1.EVO";
  EVOadj(ws.paths, ws.buttons);
  view.mChapter = {"CHAPTER01=00:00:00.000", "CHAPTER01NAME=x"};
  ws.buttons.readEVO = true;
  try {
    readPlaylist(ws, view);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Cannot open file \"/nonexistent/ADV_OBJ/VPLST000.XPL\""));
  }
  EXPECT_TRUE(host.lines.empty());
  EXPECT_FALSE(testing::heldOpen(ws.paths.eXPLfile));
  EXPECT_TRUE(ws.buttons.readXPL);
  EXPECT_TRUE(ws.buttons.readEVO);
  EXPECT_TRUE(ws.buttons.browseEVO);
  EXPECT_TRUE(ws.buttons.browseXPL);
  EXPECT_TRUE(ws.buttons.writeChaps);  // the chapters of the last run are still there
  EXPECT_EQ(host.buttonHistory.back(), ws.buttons);
}

}  // namespace
}  // namespace vantrel
