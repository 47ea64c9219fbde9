#include <gtest/gtest.h>

#include "workspace/source_paths.h"
#include "workspace/stream_boxes.h"

namespace vantrel {
namespace {

// A catalogue of empty slots but for the video ids given.
PerKind<int32_t> catalogue(int32_t video0, int32_t video1) {
  PerKind<int32_t> ids;
  ids.video = {video0, video1};
  ids.audio.fill(-1);
  ids.subpicture.fill(-1);
  return ids;
}

TEST(StreamSelection, LabelsTickAndCaptionEveryStreamFound) {
  StreamBoxes boxes;
  OperationButtons buttons;
  Resetcbs(boxes, buttons, "/d/HVDVD_TS/F.EVO");
  PerKind<int32_t> ids = catalogue(0xE0, 0xE3);
  ids.audio[0] = 0xC0;
  ids.audio[1] = 0xC1;
  ids.audio[9] = 0xC9;
  ids.subpicture[2] = 0x22;
  ids.subpicture[12] = 0x6C;
  LabelStreamBoxes(boxes, ids);
  EXPECT_EQ(boxes.video[0], (StreamBox{true, true, "MPEG-2.stream.0", ""}));
  EXPECT_EQ(boxes.video[1].caption, "H.264.stream.1");
  EXPECT_EQ(boxes.audio[0].caption, "DD+.stream.00");
  EXPECT_EQ(boxes.audio[9].caption, "DD+.stream.09");
  EXPECT_EQ(boxes.subpicture[2].caption, "Subpicture.02");
  EXPECT_EQ(boxes.subpicture[12].caption, "Ext.Subpicture.12");
  EXPECT_EQ(boxes.audio[2], (StreamBox{false, false, "No audio stream", ""}));
  EXPECT_EQ(boxes.subpicture[0].caption, "No subpicture");
  EXPECT_EQ(boxes.video[5].caption, "No video stream");
}

TEST(StreamSelection, KindNames) {
  EXPECT_EQ(streamName(StreamKind::Video, 0x56), "VC-1.stream");
  EXPECT_EQ(streamName(StreamKind::Audio, 0x8F), "DTSHD.stream");
  EXPECT_EQ(streamName(StreamKind::Audio, 0xA1), "LPCM.stream");
  EXPECT_EQ(streamName(StreamKind::Audio, 0xB7), "MLP.stream");
  EXPECT_EQ(streamName(StreamKind::Audio, 0xB8), "");
  EXPECT_EQ(streamName(StreamKind::Subpicture, -1), "No subpicture stream");
  EXPECT_EQ(streamName(StreamKind::Video, 1), "");  // a playlist mark is no id
}

TEST(StreamSelection, DemuxFollowsTheTicksAndRebuildOnlyForEvoSources) {
  StreamBoxes boxes;
  OperationButtons buttons;
  LabelStreamBoxes(boxes, catalogue(0xE0, -1));
  updateOperationButtons(boxes, buttons, "/d/movie.evo");
  EXPECT_TRUE(buttons.demux);
  EXPECT_TRUE(buttons.rebuild);
  boxes.video[0].ticked = false;
  updateOperationButtons(boxes, buttons, "/d/movie.evo");
  EXPECT_FALSE(buttons.demux);
  EXPECT_FALSE(buttons.rebuild);
  buttons.rebuild = true;
  updateOperationButtons(boxes, buttons, "/d/VTS_01_1.VOB");
  EXPECT_FALSE(buttons.demux);
  EXPECT_TRUE(buttons.rebuild);  // unchanged for other sources
}

TEST(SourcePaths, PlaylistBesideAnHdDvdSourceFolder) {
  SourcePaths paths;
  OperationButtons buttons;
  paths.eEVOfile = "/media/D/HVDVD_TS/FEATURE_1.EVO";
  EVOadj(paths, buttons);
  EXPECT_EQ(paths.SourceFileName, "FEATURE_1.EVO");
  EXPECT_EQ(paths.OutputBaseName, "FEATURE_1");
  EXPECT_EQ(paths.EVOdir, "/media/D/HVDVD_TS/");
  EXPECT_EQ(paths.XPLdir, "/media/D/ADV_OBJ/");
  EXPECT_EQ(paths.eXPLfile, "/media/D/ADV_OBJ/VPLST000.XPL");
  EXPECT_TRUE(buttons.readEVO);
  EXPECT_TRUE(buttons.readXPL);

  SourcePaths lower;
  OperationButtons lowerButtons;
  lower.eEVOfile = "/media/D/hvdvd_ts/FEATURE_1.EVO";
  EVOadj(lower, lowerButtons);
  EXPECT_EQ(lower.eXPLfile, "VPLST000.XPL");
  EXPECT_FALSE(lowerButtons.readXPL);

  SourcePaths playlist;
  OperationButtons playlistButtons;
  playlist.eXPLfile = "/media/E/ADV_OBJ/VPLST000.XPL";
  XPLadj(playlist, playlistButtons);
  EXPECT_EQ(playlist.EVOdir, "/media/E/HVDVD_TS/");
  EXPECT_EQ(playlist.PlaylistFileName, "VPLST000.XPL");
  EXPECT_TRUE(playlistButtons.readXPL);
  EXPECT_TRUE(playlist.eEVOfile.empty());
}

}  // namespace
}  // namespace vantrel
