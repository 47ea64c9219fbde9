#include "analyzers/h264.h"

#include <gtest/gtest.h>

#include "analyzer_test_support.h"
#include "analyzers/analyzers.h"
#include "bit_writer.h"
#include "tests/support/recording_host.h"

namespace vantrel {
namespace {

using testing::BitWriter;
using testing::concat;
using testing::escapeRbsp;
using testing::payloadOver;

struct ScalingList {
  int index = 0;                // which of the 8 or 12 lists
  std::vector<int32_t> deltas;  // delta_scale values as coded (until nextScale is 0)
};

struct SpsFields {
  unsigned profile = 100, level = 41;
  unsigned constraints = 0;  // constraint_set0_flag (bit 7) .. constraint_set5_flag (bit 2)
  unsigned chromaFormat = 1, lumaMinus8 = 0, chromaMinus8 = 0;
  std::vector<ScalingList> scalingLists;  // non-empty: seq_scaling_matrix_present_flag
  bool scalingMatrix = false;
  unsigned pocType = 0;
  std::vector<int32_t> pocCycle;        // pic_order_cnt_type 1
  uint32_t pocCycleCount = UINT32_MAX;  // overrides the count when set
  unsigned widthMbsMinus1 = 119, heightMapUnitsMinus1 = 67;
  bool frameMbsOnly = true;
  std::optional<std::array<unsigned, 4>> crop = std::array<unsigned, 4>{0, 0, 0, 4};
  bool vui = false;
  std::optional<unsigned> aspectIdc;
  unsigned sarW = 0, sarH = 0;
  std::optional<unsigned> videoFormat;
  std::optional<std::pair<uint32_t, uint32_t>> timing;  // num_units_in_tick, time_scale
};

// A sequence parameter set (ITU-T H.264 7.3.2.1.1) as an encoder emits it:
// start code, NAL header (nal_ref_idc 3, type 7) and the escaped RBSP.
std::vector<uint8_t> sps(const SpsFields& f, uint8_t nalHeader = 0x67) {
  BitWriter w;
  w.put(8, f.profile).put(8, f.constraints).put(8, f.level);
  w.ue(0);  // seq_parameter_set_id
  if (h264HasChromaFields(static_cast<uint8_t>(f.profile))) {
    w.ue(f.chromaFormat);
    if (f.chromaFormat == 3) w.flag(false);
    w.ue(f.lumaMinus8).ue(f.chromaMinus8).flag(false);
    bool matrix = f.scalingMatrix || !f.scalingLists.empty();
    w.flag(matrix);
    if (matrix) {
      int lists = f.chromaFormat != 3 ? 8 : 12;
      for (int i = 0; i < lists; ++i) {
        const ScalingList* list = nullptr;
        for (const auto& l : f.scalingLists)
          if (l.index == i) list = &l;
        w.flag(list != nullptr);
        if (list)
          for (int32_t d : list->deltas) w.se(d);
      }
    }
  }
  w.ue(4);  // log2_max_frame_num_minus4
  w.ue(f.pocType);
  if (f.pocType == 0) w.ue(2);
  if (f.pocType == 1) {
    w.flag(false).se(-3).se(7);
    w.ue(f.pocCycleCount != UINT32_MAX ? f.pocCycleCount : uint32_t(f.pocCycle.size()));
    for (int32_t v : f.pocCycle) w.se(v);
  }
  w.ue(4).flag(false);  // max_num_ref_frames, gaps_in_frame_num_value_allowed_flag
  w.ue(f.widthMbsMinus1).ue(f.heightMapUnitsMinus1).flag(f.frameMbsOnly);
  if (!f.frameMbsOnly) w.flag(true);
  w.flag(true);  // direct_8x8_inference_flag
  w.flag(f.crop.has_value());
  if (f.crop)
    for (unsigned c : *f.crop) w.ue(c);
  w.flag(f.vui);
  if (f.vui) {
    w.flag(f.aspectIdc.has_value());
    if (f.aspectIdc) {
      w.put(8, *f.aspectIdc);
      if (*f.aspectIdc == 255) w.put(16, f.sarW).put(16, f.sarH);
    }
    w.flag(false);  // overscan_info_present_flag
    w.flag(f.videoFormat.has_value());
    if (f.videoFormat) w.put(3, *f.videoFormat).flag(false).flag(true).put(24, 0x010101);
    w.flag(true).ue(0).ue(0);  // chroma_loc_info_present_flag
    w.flag(f.timing.has_value());
    if (f.timing) w.put(32, f.timing->first).put(32, f.timing->second).flag(true);
    w.flag(false).flag(false);  // nal_hrd, vcl_hrd
    w.flag(false).flag(true);   // pic_struct_present_flag, bitstream_restriction_flag
    w.flag(true).ue(0).ue(1).ue(16).ue(16).ue(2).ue(4);
  }
  w.trailingBits();
  return concat({{0x00, 0x00, 0x00, 0x01, nalHeader}, escapeRbsp(w.data())});
}

// An access unit delimiter in front, a picture parameter set behind.
std::vector<uint8_t> accessUnit(const std::vector<uint8_t>& spsUnit) {
  return concat({{0x00, 0x00, 0x00, 0x01, 0x09, 0x10},
                 spsUnit,
                 {0x00, 0x00, 0x00, 0x01, 0x68, 0xEB, 0xE3, 0xCB, 0x22, 0xC0}});
}

std::vector<std::string> linesFor(const SpsFields& f) {
  RecordingHost host;
  auto bytes = accessUnit(sps(f));
  analyzeH264(payloadOver(bytes), host);
  return host.lines;
}

TEST(H264, HighProfileFullHdProgressive) {
  EXPECT_EQ(linesFor({}), (std::vector<std::string>{
                              "   Profile = High",
                              "   Level = 4.1",
                              "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
                              "   Size = [bl]1920[/bl]x[bl]1080[/bl]",
                          }));
}

TEST(H264, FullHdInterlacedCropsInFieldPairs) {
  SpsFields f;
  f.heightMapUnitsMinus1 = 33;
  f.frameMbsOnly = false;
  f.crop = std::array<unsigned, 4>{0, 0, 0, 2};
  EXPECT_EQ(linesFor(f).back(), "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
  auto parsed = parseH264(payloadOver(sps(f)));
  ASSERT_TRUE(parsed && parsed->frame);
  EXPECT_TRUE(parsed->interlaced());
  EXPECT_TRUE(parsed->frame->mbAdaptiveFrameField);
}

TEST(H264, CroppingInMonochromeCountsSingleSamples) {
  // 1376 wide, field-coded: 10 columns and 2 x 4 lines cropped. (4:2:0 in
  // pairs is checked against ffprobe.) Cropping it all away leaves no size.
  SpsFields f;
  f.chromaFormat = 0;
  f.widthMbsMinus1 = 85;
  f.heightMapUnitsMinus1 = 24;
  f.frameMbsOnly = false;
  f.crop = std::array<unsigned, 4>{4, 6, 0, 4};
  EXPECT_EQ(linesFor(f).back(), "   Size = [bl]1366[/bl]x[bl]792[/bl]");
  f.crop = std::array<unsigned, 4>{1000, 1000, 0, 0};
  EXPECT_EQ(linesFor(f).size(), 3u);
}

TEST(H264, ProfilesWithoutChromaFields) {
  SpsFields f;
  f.profile = 77;
  f.level = 40;
  auto lines = linesFor(f);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "   Profile = Main",
                       "   Level = 4.0",
                       "   Size = [bl]1920[/bl]x[bl]1080[/bl]",
                   }));
  f.profile = 66;
  f.level = 11;
  f.constraints = 0x10;  // constraint_set3_flag
  lines = linesFor(f);
  EXPECT_EQ(lines[0], "   Profile = Baseline ");
  EXPECT_EQ(lines[1], "   Level = 1b");
  f.profile = 88;
  f.level = 9;
  f.constraints = 0;
  lines = linesFor(f);
  EXPECT_EQ(lines[0], "   Profile = Extended");
  EXPECT_EQ(lines[1], "   Level = 0.9");
  f.profile = 200;
  EXPECT_EQ(linesFor(f)[0], "   Profile = Unknown");
}

TEST(H264, HighProfilesWithOtherFormatsAndDepths) {
  SpsFields f;
  f.profile = 122;
  f.chromaFormat = 2;
  f.lumaMinus8 = 2;
  f.chromaMinus8 = 2;
  f.crop = std::array<unsigned, 4>{0, 0, 0, 8};  // 4:2:2 crops single lines
  auto lines = linesFor(f);
  EXPECT_EQ(lines[0], "   Profile = High 4:2:2");
  EXPECT_EQ(lines[2], "   Chroma format = [bl]4:2:2[/bl]  (l, c) = 10, 10 bit");
  EXPECT_EQ(lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");

  f.constraints = 0x10;  // constraint_set3_flag: the intra profile
  EXPECT_EQ(linesFor(f)[0], "   Profile = High 4:2:2 Intra");
  f.constraints = 0;
  f.profile = 244;
  f.chromaFormat = 3;
  lines = linesFor(f);
  EXPECT_EQ(lines[0], "   Profile = High 4:4:4 Predictive");
  EXPECT_EQ(lines[2], "   Chroma format = [bl]4:4:4[/bl]  (l, c) = 10, 10 bit");
  EXPECT_EQ(lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264, ScalingListsAreSkippedBitExactly) {
  // Lists 0 (4x4) and 6 (8x8) coded; list 6 ends early with a delta that
  // makes nextScale 0 ("use the default list from here").
  SpsFields f;
  f.scalingLists = {{0, std::vector<int32_t>(16, 1)}, {6, {-8}}};
  auto lines = linesFor(f);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");

  // 4:4:4 has twelve lists; the last four are 8x8 chroma lists. (4:4:4
  // crops single lines.)
  f.profile = 244;
  f.chromaFormat = 3;
  f.crop = std::array<unsigned, 4>{0, 0, 0, 8};
  std::vector<int32_t> wobble;
  for (int j = 0; j < 64; ++j) wobble.push_back(j % 2 ? -1 : 1);
  f.scalingLists = {{11, wobble}, {9, {3, -3, 5, -5}}};
  f.scalingLists[1].deltas.resize(64, 0);
  lines = linesFor(f);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264, PictureOrderCountTypes) {
  SpsFields f;
  f.pocType = 1;
  f.pocCycle = {1, -2, 300, 0};
  EXPECT_EQ(linesFor(f).back(), "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
  f.pocType = 2;
  f.pocCycle.clear();
  EXPECT_EQ(linesFor(f).back(), "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264, HugePocCycleCountIsBounded) {
  // A garbage count of four billion must not turn into four billion reads.
  SpsFields f;
  f.pocType = 1;
  f.pocCycleCount = 0xFFFFFFF0;
  RecordingHost host;
  auto bytes = sps(f);
  analyzeH264(payloadOver(bytes), host);
  // The fields after the count are taken as its offsets, until the set
  // runs out: no size from them.
  EXPECT_EQ(host.lines.size(), 3u);
}

TEST(H264, VideoUsabilityInformation) {
  SpsFields f;
  f.vui = true;
  f.aspectIdc = 1;
  f.videoFormat = 2;
  // num_units_in_tick 1001 is coded 00 00 03 E9 with an emulation
  // prevention byte, which must not shift the fields after it.
  f.timing = {{1001, 48000}};
  auto lines = linesFor(f);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
            (std::vector<std::string>{
                "   Aspect ratio = [bl]1:1[/bl] (square samples)",
                "   Video format = NTSC",
                "   Time scale = 0 MHz",
                "   Frame rate = 47.952 fps",
            }));
  auto parsed = parseH264(payloadOver(sps(f)));
  ASSERT_TRUE(parsed && parsed->vui && parsed->vui->timing);
  EXPECT_EQ(parsed->vui->timing->numUnitsInTick, 1001u);
  EXPECT_EQ(parsed->vui->timing->timeScale, 48000u);
  EXPECT_EQ(h264ReportFrameRate(*parsed), 24000.0 / 1001.0);  // half the tick rate

  f.aspectIdc = 255;
  f.sarW = 4;
  f.sarH = 3;
  f.videoFormat = 6;
  f.timing = {{1, 90000000}};
  lines = linesFor(f);
  EXPECT_EQ(lines[4], "   Aspect ratio = 4:3");
  EXPECT_EQ(lines[5], "   Video format = ");
  EXPECT_EQ(lines[6], "   Time scale = 90 MHz");
  EXPECT_EQ(lines[7], "   Frame rate = 90000000 fps");
  EXPECT_EQ(h264ReportFrameRate(*parseH264(payloadOver(sps(f)))), 45000000.0);

  // aspect_ratio_idc 16 to 254 log nothing.
  f.aspectIdc = 200;
  f.videoFormat.reset();
  f.timing.reset();
  lines = linesFor(f);
  EXPECT_EQ(lines.size(), 4u);
}

TEST(H264, ZeroTickGivesNoFrameRateLineAndTheFilmRate) {
  SpsFields f;
  f.vui = true;
  f.timing = {{0, 50000}};
  auto lines = linesFor(f);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.back(), "   Time scale = 0 MHz");
  EXPECT_EQ(h264ReportFrameRate(*parseH264(payloadOver(sps(f)))), 24000.0 / 1001.0);
}

TEST(H264, OnlyReferenceParameterSetsAreFound) {
  SpsFields f;
  f.profile = 77;
  RecordingHost host;
  auto ref1 = accessUnit(sps(f, 0x27));
  analyzeH264(payloadOver(ref1), host);
  EXPECT_EQ(host.lines[0], "   Profile = Main");

  // nal_ref_idc 2 (0x47) is not searched for: nothing is found, nothing
  // logged, and the report keeps the film rate; so for an empty payload.
  RecordingHost other;
  auto ref2 = accessUnit(sps(f, 0x47));
  EXPECT_EQ(analyzeH264(payloadOver(ref2), other), 24000.0 / 1001.0);
  EXPECT_EQ(analyzeH264(payloadOver({}), other), 24000.0 / 1001.0);
  EXPECT_TRUE(other.lines.empty());
}

TEST(H264, ACutParameterSetReportsTheFieldsItHolds) {
  // The set ends with the payload after its bit depths; the bytes loaded
  // behind it (the next pack) are not read as its fields.
  std::vector<uint8_t> loaded = concat({sps({}), std::vector<uint8_t>(64, 0xFF)});
  RecordingHost host;
  EXPECT_EQ(analyzeH264(payloadOver(loaded, 0, 5 + 4), host), 24000.0 / 1001.0);
  EXPECT_EQ(host.lines, (std::vector<std::string>{
                            "   Profile = High",
                            "   Level = 4.1",
                            "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
                        }));
}

}  // namespace
}  // namespace vantrel
