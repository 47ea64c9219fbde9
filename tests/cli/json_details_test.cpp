// The JSON renderers of parsed codec headers: values the headers do not
// give stay out of the document rather than showing a stand-in.
#include "cli/json_details.h"

#include <gtest/gtest.h>

#include "cli/json_metadata.h"
#include "cli/json_report.h"

namespace vantrel::cli {
namespace {

TEST(JsonDetails, Mpeg2ReservedFrameRateIsLeftOutNotStoredAsOne) {
  Mpeg2VideoAnalysis a;
  a.aspectAndFrameRate = mpeg2::AspectAndFrameRate{1, 9};  // square samples, reserved rate
  Json j = detailsJson(a);
  EXPECT_EQ(j["aspect_ratio"], "1:1");
  EXPECT_EQ(j["frame_rate_code"], 9);
  EXPECT_FALSE(j.contains("frame_rate"));
  EXPECT_EQ(j["sequence_header"], false);
  EXPECT_FALSE(j.contains("width"));

  a.aspectAndFrameRate = mpeg2::AspectAndFrameRate{5, 7};
  a.events.emplace_back(mpeg2::IllegalPictureType{0});
  j = detailsJson(a);
  EXPECT_FALSE(j.contains("aspect_ratio"));  // reserved
  EXPECT_EQ(j["aspect_ratio_code"], 5);
  EXPECT_DOUBLE_EQ(j["frame_rate"].get<double>(), 60000.0 / 1001.0);
  EXPECT_EQ(j["illegal_picture_types"], Json::array({0}));
}

TEST(JsonDetails, Vc1ValuesOnlyWhereTheCodesHaveThem) {
  Vc1SequenceHeader h;
  h.profile = 3;
  h.displayExtension = true;
  h.aspectRatio = Vc1SequenceHeader::AspectRatio{15, 63, 44};  // coded minus one
  h.frameRate = Vc1FrameRateFields{false, 0, 3, 0};  // 30000 / forbidden denominator
  Json j = detailsJson(h);
  EXPECT_EQ(j["sample_aspect_ratio"], "64:45");
  EXPECT_FALSE(j.contains("frame_rate"));
  EXPECT_FALSE(j.contains("chroma_format"));  // COLORDIFF_FORMAT 0 is reserved
  EXPECT_FALSE(j.contains("display_width"));  // not read

  // A forbidden numerator gives no rate (not 0.0), ASPECT_RATIO 14 no ratio.
  h.aspectRatio = Vc1SequenceHeader::AspectRatio{14};
  h.frameRate = Vc1FrameRateFields{false, 0, 0, 2};
  j = detailsJson(h);
  EXPECT_FALSE(j.contains("sample_aspect_ratio"));
  EXPECT_FALSE(j.contains("frame_rate"));

  h.pulldown = true;
  h.frameRate = Vc1FrameRateFields{false, 0, 3, 2};  // film carried at 29.97
  j = detailsJson(h);
  EXPECT_DOUBLE_EQ(j["frame_rate"].get<double>(), 24000.0 / 1001.0);
  EXPECT_EQ(j["frame_rate_numerator"], 24000);
  EXPECT_EQ(j["frame_rate_denominator"], 1001);

  h.frameRate = Vc1FrameRateFields{true, 767, 0, 0};  // (767 + 1) / 32
  j = detailsJson(h);
  EXPECT_EQ(j["frame_rate"], 24.0);
  EXPECT_FALSE(j.contains("frame_rate_numerator"));
}

TEST(JsonDetails, H264FrameRateIsHalfTheTickRateAndAZeroTickGivesNone) {
  H264Sps sps;
  sps.profileIdc = 66;
  sps.levelIdc = 11;
  sps.constraintFlags = 0x10;  // constraint_set3_flag
  sps.vui = H264Vui{};
  sps.vui->aspectRatioIdc = 0;  // unspecified
  sps.vui->timing = H264Vui::Timing{1001, 60000, true};
  Json j = detailsJson(sps);
  EXPECT_EQ(j["profile"], "Baseline");
  EXPECT_EQ(j["level"], "1b");
  // A set cut before its chroma and size fields gives neither.
  EXPECT_FALSE(j.contains("chroma_format") || j.contains("width"));
  EXPECT_FALSE(j.contains("sample_aspect_ratio"));
  EXPECT_DOUBLE_EQ(j["tick_rate"].get<double>(), 60000.0 / 1001.0);
  EXPECT_DOUBLE_EQ(j["frame_rate"].get<double>(), 30000.0 / 1001.0);

  sps.vui->timing->numUnitsInTick = 0;
  j = detailsJson(sps);
  EXPECT_EQ(j["time_scale"], 60000);
  EXPECT_FALSE(j.contains("tick_rate"));
  EXPECT_FALSE(j.contains("frame_rate"));
}

TEST(JsonDetails, AudioValuesWithoutMeaningStayOut) {
  DtsAnalysis dts;
  DtsCoreHeader core;
  core.rate = 31;   // lossless: no fixed rate
  core.sfreq = 0;   // invalid
  core.amode = 40;  // user defined
  core.lff = 2;
  core.pcmr = 4;  // no resolution
  dts.events.emplace_back(core);
  dts.events.emplace_back(DtsFrequencyExtension{});
  Json j = detailsJson(dts);
  EXPECT_FALSE(j.contains("sample_rate"));
  EXPECT_FALSE(j.contains("bit_rate"));
  EXPECT_EQ(j["bit_rate_mode"], "lossless");
  EXPECT_EQ(j["channel_arrangement"], "User defined");
  EXPECT_FALSE(j.contains("channels"));
  EXPECT_EQ(j["lfe"], true);
  EXPECT_FALSE(j.contains("bit_depth"));
  EXPECT_EQ(j["frequency_extension"], true);

  // TrueHD modifiers of the 6- and 8-channel presentations mean their own
  // things; 3 is reserved.
  MlpAnalysis mlp;
  TrueHdMajorSync thd;
  thd.bytesTaken = 6;
  thd.modifier2 = 1;
  thd.modifier6 = 2;
  thd.modifier8 = 3;
  mlp.headers.emplace_back(thd);
  j = detailsJson(mlp);
  EXPECT_EQ(j["channel_modifier_2ch"], "Lt/Rt");
  EXPECT_EQ(j["channel_modifier_6ch"], "Dolby Surround EX");
  EXPECT_FALSE(j.contains("channel_modifier_8ch"));
  EXPECT_FALSE(j.contains("dynamic_range_db"));

  // A TrueHD header cut after two bytes: no presentation fields.
  mlp.headers.clear();
  TrueHdMajorSync cut;
  cut.bytesTaken = 2;
  cut.samplingCode = 8;
  mlp.headers.emplace_back(cut);
  j = detailsJson(mlp);
  EXPECT_EQ(j["sample_rate"], 44100);
  EXPECT_FALSE(j.contains("channels"));
  EXPECT_FALSE(j.contains("channel_arrangement"));

  // AC-3: a frame with a reserved rate is followed by the one that counts.
  Ac3Analysis ac3;
  Ac3FrameHeader bad;
  bad.bsid = 8;
  Ac3FrameHeader good = bad;
  good.sampleRate = 48000;
  good.bitRate = 384000;
  good.acmod = 7;
  good.lfeon = 1;
  ac3.frames = {bad, good};
  j = detailsJson(ac3);
  EXPECT_EQ(j["sample_rate"], 48000);
  EXPECT_EQ(j["channels"], 6);

  // LPCM header of which only six bytes were taken: no dynamic range.
  LpcmHeader lpcm;
  lpcm.bytesTaken = 6;
  lpcm.samplingCode = 1;
  lpcm.channelCount = 2;
  j = detailsJson(lpcm);
  EXPECT_EQ(j["sample_rate"], 96000);
  EXPECT_EQ(j["bit_depth"], 16);
  EXPECT_FALSE(j.contains("dynamic_range_db"));
  EXPECT_TRUE(detailsJson(std::monostate{}).empty());
}

TEST(JsonDetails, RatiosAndCopyControlNames) {
  EXPECT_EQ(ratioText("[bl]16:11[/bl] (704x576 4:3)"), "16:11");
  EXPECT_EQ(ratioText("[bl]3:2[/bl]\""), "3:2");
  EXPECT_EQ(ratioText("reserved"), "reserved");
  CopyControlInfo cc;
  cc.cciValid = true;
  cc.cci = 1;  // a code without a name
  cc.aps = 6;
  Json j = copyControlJson(cc);
  EXPECT_FALSE(j["cci"].contains("name"));
  EXPECT_EQ(j["aps"]["valid"], false);
  EXPECT_EQ(j["aps"]["name"], "APS2 is ON");
}

// Demux and Rebuild read the title again: their passes must not add files
// or replace the streams of the Read EVO.
TEST(JsonReportCollector, WritingRunsAddOnlyOutputsAndErrors) {
  JsonReport report("demux", "/t/FEATURE_1.EVO");
  report.fileOpened("/t/FEATURE_1.EVO", 4096);
  report.streamFound({StreamKind::Audio, 3, 0x83, StreamCodec::Ac3});
  report.startWriting();
  report.fileOpened("/t/FEATURE_1.EVO", 4096);
  report.streamFound({StreamKind::Video, 0, 0xE0, StreamCodec::Mpeg2});
  report.outputCreated("/o/a.ac3");
  report.outputCreated("/o/b.ac3");
  report.errorReported("Cannot write file \"/o/b.ac3\". No space left on device");
  report.outputClosed("/o/a.ac3", 10);
  Json doc = report.document();
  EXPECT_EQ(doc["files"].size(), 1u);
  ASSERT_EQ(doc["streams"].size(), 1u);
  EXPECT_EQ(doc["streams"][0]["codec"], "AC-3");
  EXPECT_FALSE(doc["streams"][0].contains("first_pts"));
  EXPECT_EQ(doc["outputs"][0]["bytes"], 10);
  EXPECT_FALSE(doc["outputs"][1].contains("bytes"));  // never closed
  EXPECT_EQ(doc["errors"].size(), 1u);
  EXPECT_FALSE(doc.contains("title"));
}

}  // namespace
}  // namespace vantrel::cli

namespace vantrel::cli {
namespace {

TEST(JsonMetadata, TitleSetCutShortAndPlaylistWithoutTitle) {
  VtiFile vti;
  vti.fileSize = 2100;
  vti.identifier = "ADVANCED-VTS";
  vti.category = 3;
  vti.tableSector = 1;
  vti.valueAfterTableSector = 0;
  vti.entryCount = 2;
  vti.firstEntryOffset = 16;
  VtiEntry entry;
  entry.mainVideo = {3, 3, 12};
  entry.audioCount = 2;
  entry.audio = {{1, 1, 2}};  // the second attribute is past the end
  vti.entries = {entry};
  vti.cut = VtiCut{VtiCut::Part::AudioAttributes, 1, 2096};
  Json j = titleSetJson("/d/HVA00001.VTI", vti);
  EXPECT_EQ(j["category_name"], "Interoperable VTS");
  ASSERT_EQ(j["entries"].size(), 1u);
  const Json& e = j["entries"][0];
  EXPECT_EQ(e["main_video"]["codec"], "VC-1");
  EXPECT_EQ(e["main_video"]["aspect_ratio"], "16:9");
  EXPECT_EQ(e["main_video"]["resolution"], "1920x1080");
  EXPECT_FALSE(e.contains("sub_video"));
  EXPECT_EQ(e["audio_count"], 2);
  ASSERT_EQ(e["audio"].size(), 1u);
  EXPECT_EQ(e["audio"][0]["sample_rate"], 96000);
  EXPECT_EQ(e["audio"][0]["bit_depth"], 24);
  EXPECT_EQ(j["cut"]["part"], "audio_attributes");
  EXPECT_EQ(j["cut"]["entry"], 1);
  EXPECT_EQ(j["cut"]["offset"], 2096);

  VtiFile other;
  other.identifier = "STANDARD-VTS";
  j = titleSetJson("/d/HVA00001.VTI", other);
  EXPECT_EQ(j["advanced"], false);
  EXPECT_FALSE(j.contains("entries"));

  Playlist playlist;
  playlist.header = {"", "60fps", "60fps"};
  j = playlistJson("/d/VPLST000.XPL", 10, playlist, nullptr, nullptr);
  EXPECT_FALSE(j.contains("name"));
  EXPECT_FALSE(j.contains("title"));
  EXPECT_FALSE(j.contains("not_well_formed"));

  // Chapters keep their order and numbering; times are disc time (1.001/60 s
  // per tick); languages as written and as Matroska's ISO 639-2 code.
  PlaylistTitle feature;
  feature.number = 2;
  feature.name = "Feature";
  feature.duration = "01:30:00:30";
  feature.tracks = {{TrackKind::Audio, 1, 2, 1, "English", std::nullopt},
                    {TrackKind::Subtitle, 4, 1, 1, std::nullopt, std::nullopt}};
  feature.languages = {{TrackKind::Audio, 1, "de:01", std::nullopt},
                       {TrackKind::Subtitle, 4, "xx:09", std::nullopt}};
  feature.chapters = {{"Start", "00:00:00:00"}, {"Scene", "00:05:12:30"}};
  PlaylistView tables;
  tables.AudioAttributeTable[0] = "AC-3";
  const TitleListing listing = listTitle(playlist.header, feature, tables);
  playlist.problem = XmlProblem{3, 7, "mismatched tag"};
  j = playlistJson("/d/VPLST000.XPL", 10, playlist, &feature, &listing);
  EXPECT_EQ(j["not_well_formed"]["line"], 3);
  EXPECT_EQ(j["not_well_formed"]["column"], 7);
  const Json& title = j["title"];
  EXPECT_EQ(title["number"], 2);
  EXPECT_EQ(title["duration_code"], "01:30:00:30");
  EXPECT_EQ(title["duration"], "01:30:05.901");
  ASSERT_EQ(title["chapters"].size(), 2u);
  EXPECT_EQ(title["chapters"][1]["number"], 2);
  EXPECT_EQ(title["chapters"][1]["time_code"], "00:05:12:30");
  EXPECT_EQ(title["chapters"][1]["time"], "00:05:12.813");
  const Json& audio = title["tracks"][0];
  EXPECT_EQ(audio["label"], "AC-3.s01.English");
  EXPECT_EQ(audio["kind"], "audio");
  EXPECT_EQ(audio["langcode"], "de:01");
  EXPECT_EQ(audio["language"], "de");
  EXPECT_EQ(audio["language_iso639_2"], "ger");
  EXPECT_EQ(title["tracks"][1]["language"], "xx");
  EXPECT_FALSE(title["tracks"][1].contains("language_iso639_2"));  // no such language
}

}  // namespace
}  // namespace vantrel::cli
