// Which streams a scan catalogues, under which slot, and what it logs.
#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace vantrel::testing {
namespace {

TEST(Catalogue, EveryStreamKindLandsInItsSlot) {
  Title t;
  t.video(0xE0, 9000, mpeg2Pictures(1));
  t.video(0xE3, 9000, {0x00, 0x00, 0x01, 0x09, 0xF0});
  t.audio(0x80, 9000, {0x0B, 0x77});
  t.audio(0x89, 9000, {0x7F, 0xFE});
  t.audio(0xC4, 9000, {0x0B, 0x77});
  t.audio(0xC9, 9000, {0x0B, 0x77});
  t.audio(0xB3, 9000, {0x00, 0xF8, 0x72});
  t.privateStream1(psmux::lpcmSubstreamHeader(0xA2, 0, 0x01, 0x80), 9000, Bytes(64, 0x11));
  t.subpicture(0x22, 9000, {0x00, 0x10});
  t.subpicture(0x61, 9000, {0x00, 0x10});
  t.video(0xC0, 9000, Bytes(100, 0xFF));  // MPEG audio is never catalogued

  Engine e;
  e.scan(e.write("FEATURE_1.EVO", t.bytes()));
  const ProcessingState& st = e.session.state;
  EXPECT_EQ(st.VideoStreamId[0], 0xE0);
  EXPECT_EQ(st.VideoStreamId[1], 0xE3);
  EXPECT_EQ(st.AudioStreamId[0], 0x80);
  EXPECT_EQ(st.AudioStreamId[1], 0x89);
  EXPECT_EQ(st.AudioStreamId[2], 0xA2);
  EXPECT_EQ(st.AudioStreamId[3], 0xB3);
  EXPECT_EQ(st.AudioStreamId[4], 0xC4);
  EXPECT_EQ(st.AudioStreamId[9], 0xC9);
  EXPECT_EQ(st.SubpictureStreamId[2], 0x22);
  EXPECT_EQ(st.SubpictureStreamId[1], 0x61);
  for (int slot : {5, 6, 7, 8, 10, 15}) EXPECT_EQ(st.AudioStreamId[size_t(slot)], -1) << slot;
  EXPECT_EQ(st.SubpictureStreamId[0], -1);

  const std::vector<std::string> expected = {
      "[b]MPEG-2[/b] video stream 0 found!",
      "[b]H.264 (AVC)[/b] video stream 1 found!",
      "[b]Dolby Digital[/b] audio stream 0 found!",
      "[b]DTS HD (DTS)[/b] audio stream 1 found!",
      "[b]Dolby Digital[/b] Plus audio stream 4 found!",
      "[b]Dolby Digital[/b] Plus audio stream 9 found!",
      "[b]Dolby TrueHD[/b] audio stream 3 found!",
      "[b]LPCM[/b] audio stream 2 found!",
      "[b]Subpicture[/b] stream 2 found!",
      "[b]Extended subpicture[/b] stream 1 found!",
  };
  EXPECT_EQ(e.host.lines, expected);
}

TEST(Catalogue, Vc1IsIdentifiedByItsStreamIdExtension) {
  Title t;
  psmux::Pes secondary{.streamId = 0xFD,
                       .pts = 9000,
                       .dts = 6000,
                       .streamIdExtension = 0x56,
                       .payload = {0x00, 0x00, 0x01, 0x0D, 0x00, 0x00, 0x01, 0x0D}};
  t.pes(secondary);
  psmux::Pes primary = secondary;  // with a P-STD buffer field before the extension
  primary.streamIdExtension = 0x55;
  primary.pstdBuffer = true;
  t.pes(primary);
  psmux::Pes unknown = secondary;  // another extension: passed over
  unknown.streamIdExtension = 0x71;
  t.pes(unknown);
  psmux::Pes bare = secondary;  // no extension at all: passed over
  bare.streamIdExtension.reset();
  t.pes(bare);

  Engine e;
  e.scan(e.write("FEATURE_1.EVO", t.bytes()));
  EXPECT_EQ(e.session.state.VideoStreamId[0], 0x55);
  EXPECT_EQ(e.session.state.VideoStreamId[1], 0x56);
  EXPECT_EQ(e.host.lines, (std::vector<std::string>{"[b]VC-1[/b] video stream 1 found!",
                                                    "[b]VC-1[/b] video stream 0 found!"}));
  // Frame start codes are counted per slot; the unidentified packets count nowhere.
  EXPECT_EQ(e.session.state.FrameCount[0], 2);
  EXPECT_EQ(e.session.state.FrameCount[1], 2);
}

TEST(Catalogue, SubstreamA1IsMlpOnlyInDvdAudioObjects) {
  Title t;
  t.privateStream1(psmux::lpcmSubstreamHeader(0xA1, 0, 0, 0x80), 9000, {0xF8, 0x72, 0x6F, 0xBB});

  Engine evo;
  evo.scan(evo.write("X.EVO", t.bytes()));
  EXPECT_TRUE(evo.logged("[b]LPCM[/b] audio stream 1 found!"));
  Engine vob;
  vob.scan(vob.write("X.vob", t.bytes()));
  EXPECT_TRUE(vob.logged("[b]LPCM[/b] audio stream 1 found!"));
  Engine aob;
  aob.scan(aob.write("ATS_01_1.aob", t.bytes()));
  EXPECT_TRUE(aob.logged("[b]MLP[/b] audio stream 1 found!"));
  // Either way the catalogue holds the substream id.
  EXPECT_EQ(aob.session.state.AudioStreamId[1], 0xA1);
}

TEST(Catalogue, ExtendedSubpictureSharesTheSlotOfItsSubpicture) {
  Title t;
  t.subpicture(0x23, 9000, {0x12, 0x34});
  t.subpicture(0x63, 9000, {0x56, 0x78});
  Engine e;
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_EQ(e.session.state.SubpictureStreamId[3], 0x23);
  EXPECT_EQ(e.countLogged("[b]Subpicture[/b] stream 3 found!"), 1);
  EXPECT_FALSE(e.logged("[b]Extended subpicture[/b] stream 3 found!"));
}

TEST(Catalogue, CataloguesArePerPassAndEmptyKindsStayEmpty) {
  Title t;
  t.audio(0x81, 9000, {0x0B, 0x77});
  Engine e;
  e.scan(e.write("F.EVO", t.bytes()));
  EXPECT_EQ(e.session.state.AudioStreamId[1], 0x81);
  for (int32_t v : e.session.state.VideoStreamId) EXPECT_EQ(v, -1);
  for (int32_t v : e.session.state.SubpictureStreamId) EXPECT_EQ(v, -1);

  Title other;
  other.audio(0x82, 9000, {0x0B, 0x77});
  e.scan(e.write("G.EVO", other.bytes()));
  EXPECT_EQ(e.session.state.AudioStreamId[1], -1);
  EXPECT_EQ(e.session.state.AudioStreamId[2], 0x82);
}

TEST(Catalogue, DemuxPassesLogNoFoundLines) {
  Title t;
  t.video(0xE0, 9000, mpeg2Pictures(2));
  t.audio(0x80, 9000, {0x0B, 0x77});
  Engine e;
  e.demuxAll(e.write("F.EVO", t.bytes()));
  EXPECT_TRUE(e.host.lines.empty());
  EXPECT_EQ(e.session.state.AudioStreamId[0], 0x80);  // the catalogue is still filled
}

}  // namespace
}  // namespace vantrel::testing
