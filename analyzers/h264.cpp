#include "analyzers/h264.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analyzers/analyzers.h"
#include "analyzers/bit_reader.h"
#include "analyzers/name_table.h"
#include "analyzers/vc1.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

static_assert(h264ChromaFormatNames[3] == "4:4:4" && h264VideoFormatNames[5] == "Unspecified");

// Start code and NAL header of a sequence parameter set (nal_unit_type 7)
// with nal_ref_idc 1 or 3.
constexpr uint32_t kSpsStartCodeRef1 = 0x00000127;
constexpr uint32_t kSpsStartCodeRef3 = 0x00000167;
// A parameter set is a few hundred bytes at most, even with every scaling
// list coded; this bounds the copy without the NAL unit's end in sight.
constexpr size_t kMaxSpsBytes = 4096;
// num_ref_frames_in_pic_order_cnt_cycle is at most 255 (7.4.2.1.1).
constexpr uint32_t kMaxRefFramesInPocCycle = 255;

// The NAL unit's payload with the emulation prevention bytes removed
// (00 00 03 -> 00 00, 7.4.1), up to the next start code. Without this,
// a num_units_in_tick of 1001 (coded 00 00 03 03 E9) would read as garbage.
std::vector<uint8_t> rbspFrom(const Payload& payload, size_t first) {
  std::vector<uint8_t> rbsp;
  size_t last = std::min(payload.loaded.size(), first + kMaxSpsBytes);
  int zeros = 0;
  for (size_t i = first; i < last; ++i) {
    uint8_t byte = payload.loaded[i];
    if (zeros >= 2 && byte == 3) {
      zeros = 0;
      continue;
    }
    if (zeros >= 2 && byte < 3) break;  // 00 00 00, 00 00 01, 00 00 02: the unit ends
    zeros = byte == 0 ? zeros + 1 : 0;
    rbsp.push_back(byte);
  }
  return rbsp;
}

// scaling_list() of 7.3.2.1.1.1, read only to get past it.
void skipScalingList(BitReader& r, int size) {
  int64_t lastScale = 8;
  int64_t nextScale = 8;
  for (int j = 0; j < size; ++j) {
    if (nextScale != 0) {
      int64_t deltaScale = r.readSe();  // delta_scale
      nextScale = ((lastScale + deltaScale) % 256 + 256) % 256;
    }
    lastScale = nextScale == 0 ? lastScale : nextScale;
  }
}

H264Vui readVui(BitReader& r) {
  H264Vui vui;
  if (r.readFlag()) {                                      // aspect_ratio_info_present_flag
    vui.aspectRatioIdc = static_cast<uint8_t>(r.read(8));  // aspect_ratio_idc
    if (*vui.aspectRatioIdc == 255) {                      // Extended_SAR
      vui.sarWidth = static_cast<uint16_t>(r.read(16));    // sar_width
      vui.sarHeight = static_cast<uint16_t>(r.read(16));   // sar_height
    }
  }
  if (r.readFlag()) r.skip(1);  // overscan_info_present_flag, overscan_appropriate_flag
  if (r.readFlag()) {           // video_signal_type_present_flag
    vui.videoFormat = static_cast<uint8_t>(r.read(3));  // video_format
    vui.fullRange = r.readFlag();                       // video_full_range_flag
    if (r.readFlag()) r.skip(24);  // colour_description_present_flag: primaries, transfer, matrix
  }
  if (r.readFlag()) {  // chroma_loc_info_present_flag
    r.readUe();        // chroma_sample_loc_type_top_field
    r.readUe();        // chroma_sample_loc_type_bottom_field
  }
  if (r.readFlag()) {  // timing_info_present_flag
    H264Vui::Timing timing;
    timing.numUnitsInTick = r.read(32);    // num_units_in_tick
    timing.timeScale = r.read(32);         // time_scale
    timing.fixedFrameRate = r.readFlag();  // fixed_frame_rate_flag
    vui.timing = timing;
  }
  r.skip(1);  // nal_hrd_parameters_present_flag; nothing after it is needed
  return vui;
}

// The Baseline line has always ended in a blank.
std::string profileLine(uint8_t profileIdc) {
  return "   Profile = " + std::string(h264ProfileName(profileIdc)) + (profileIdc == 66 ? " " : "");
}

}  // namespace

std::string_view h264ProfileName(uint8_t profileIdc) {
  switch (profileIdc) {
    case 66:
      return "Baseline";
    case 77:
      return "Main";
    case 88:
      return "Extended";
    case 100:
      return "High";
    case 110:
      return "High 10";
    case 122:
      return "High 4:2:2";
    case 144:
      return "High 4:4:4";
    default:
      return "Unknown";
  }
}

std::string h264LevelName(const H264Sps& sps) {
  if (sps.levelIdc == 11 && sps.constraintSet3) return "1b";
  return std::to_string(sps.levelIdc / 10) + "." + std::to_string(sps.levelIdc % 10);
}

bool h264HasChromaFields(uint8_t profileIdc) {
  switch (profileIdc) {
    case 100:
    case 110:
    case 122:
    case 244:
    case 44:
    case 83:
    case 86:
    case 118:
    case 128:
    case 138:
    case 139:
    case 134:
    case 135:
    case 144:
      return true;
    default:
      return false;
  }
}

int64_t H264Sps::width() const {
  return (int64_t{picWidthInMbsMinus1} + 1) * 16;
}

int64_t H264Sps::height() const {
  int64_t fieldFactor = frameMbsOnly ? 1 : 2;
  int64_t height = fieldFactor * (int64_t{picHeightInMapUnitsMinus1} + 1) * 16;
  if (crop) {
    // CropUnitY of 7.4.2.1.1: 4:2:0 crops in pairs of lines.
    int64_t unit = chromaFormatIdc == 1 ? 2 * fieldFactor : fieldFactor;
    height -= (int64_t{crop->top} + crop->bottom) * unit;
  }
  return height;
}

H264Sps parseH264(const Payload& payload) {
  H264Sps sps;
  BitReader search(payload.loaded);
  search.start(payload.position);
  while (search.cursor() + 1 < payload.end() && search.window() != kSpsStartCodeRef1 &&
         search.window() != kSpsStartCodeRef3)
    search.skip(8);
  // The reader's cursor is now just past the start code and NAL header.
  std::vector<uint8_t> rbsp = rbspFrom(payload, search.cursor());
  BitReader r(rbsp);
  r.start(0);

  sps.profileIdc = static_cast<uint8_t>(r.read(8));  // profile_idc
  r.skip(3);                                         // constraint_set0..2_flag
  sps.constraintSet3 = r.readFlag();                 // constraint_set3_flag
  r.skip(4);                                         // constraint_set4..5_flag, reserved_zero_2bits
  sps.levelIdc = static_cast<uint8_t>(r.read(8));    // level_idc
  sps.spsId = r.readUe();                            // seq_parameter_set_id
  if (h264HasChromaFields(sps.profileIdc)) {
    sps.chromaFieldsCoded = true;
    sps.chromaFormatIdc = r.readUe();  // chroma_format_idc
    if (sps.chromaFormatIdc == 3) sps.separateColourPlane = r.readFlag();
    sps.bitDepthLumaMinus8 = r.readUe();      // bit_depth_luma_minus8
    sps.bitDepthChromaMinus8 = r.readUe();    // bit_depth_chroma_minus8
    r.skip(1);                                // qpprime_y_zero_transform_bypass_flag
    sps.scalingMatrixPresent = r.readFlag();  // seq_scaling_matrix_present_flag
    if (sps.scalingMatrixPresent) {
      int lists = sps.chromaFormatIdc != 3 ? 8 : 12;
      for (int i = 0; i < lists; ++i)
        if (r.readFlag()) skipScalingList(r, i < 6 ? 16 : 64);  // seq_scaling_list_present_flag
    }
  }
  sps.log2MaxFrameNumMinus4 = r.readUe();  // log2_max_frame_num_minus4
  sps.picOrderCntType = r.readUe();        // pic_order_cnt_type
  if (sps.picOrderCntType == 0) {
    r.readUe();  // log2_max_pic_order_cnt_lsb_minus4
  } else if (sps.picOrderCntType == 1) {
    r.skip(1);                    // delta_pic_order_always_zero_flag
    r.readSe();                   // offset_for_non_ref_pic
    r.readSe();                   // offset_for_top_to_bottom_field
    uint32_t cycle = r.readUe();  // num_ref_frames_in_pic_order_cnt_cycle
    for (uint32_t i = 0; i < std::min(cycle, kMaxRefFramesInPocCycle) && !r.exhausted(); ++i)
      r.readSe();  // offset_for_ref_frame
  }
  sps.maxNumRefFrames = r.readUe();            // max_num_ref_frames
  r.skip(1);                                   // gaps_in_frame_num_value_allowed_flag
  sps.picWidthInMbsMinus1 = r.readUe();        // pic_width_in_mbs_minus1
  sps.picHeightInMapUnitsMinus1 = r.readUe();  // pic_height_in_map_units_minus1
  sps.frameMbsOnly = r.readFlag();             // frame_mbs_only_flag
  if (!sps.frameMbsOnly) sps.mbAdaptiveFrameField = r.readFlag();  // mb_adaptive_frame_field_flag
  r.skip(1);                                                       // direct_8x8_inference_flag
  if (r.readFlag()) {                                              // frame_cropping_flag
    H264Sps::Crop crop;
    crop.left = r.readUe();    // frame_crop_left_offset
    crop.right = r.readUe();   // frame_crop_right_offset
    crop.top = r.readUe();     // frame_crop_top_offset
    crop.bottom = r.readUe();  // frame_crop_bottom_offset
    sps.crop = crop;
  }
  if (r.readFlag()) sps.vui = readVui(r);  // vui_parameters_present_flag
  return sps;
}

void describeH264(const H264Sps& sps, Host& host) {
  host.log(profileLine(sps.profileIdc));
  host.log("   Level = " + h264LevelName(sps));
  if (sps.chromaFieldsCoded)
    host.log("   Chroma format = [bl]" +
             std::string(nameOf(h264ChromaFormatNames, sps.chromaFormatIdc)) +
             "[/bl]  (l, c) = " + std::to_string(int64_t{sps.bitDepthLumaMinus8} + 8) + ", " +
             std::to_string(int64_t{sps.bitDepthChromaMinus8} + 8) + " bit");
  host.log("   Size = [bl]" + std::to_string(sps.width()) + "[/bl]x[bl]" +
           std::to_string(sps.height()) + "[/bl]");
  if (!sps.vui) return;
  const H264Vui& vui = *sps.vui;
  if (vui.aspectRatioIdc) {
    if (*vui.aspectRatioIdc < aspectRatioNames.size())
      host.log("   Aspect ratio = " + std::string(aspectRatioNames[*vui.aspectRatioIdc]));
    else if (*vui.aspectRatioIdc == 255)
      host.log("   Aspect ratio = " + std::to_string(vui.sarWidth) + ":" +
               std::to_string(vui.sarHeight));
  }
  if (vui.videoFormat)
    host.log("   Video format = " + std::string(nameOf(h264VideoFormatNames, *vui.videoFormat)));
  if (vui.timing) {
    int32_t timeScale = static_cast<int32_t>(vui.timing->timeScale);
    host.log("   Time scale = " + std::to_string(timeScale / 1000000) + " MHz");
    // A zero tick would make the rate infinite: leave the line out.
    if (vui.timing->numUnitsInTick != 0) {
      double rate = double(vui.timing->timeScale) / vui.timing->numUnitsInTick;
      host.log("   Frame rate = " + formatFloat(std::round(rate * 1000.0) / 1000.0) + " fps");
    }
  }
}

std::optional<double> analyzeH264(const Payload& payload, Host& host) {
  describeH264(parseH264(payload), host);
  return kH264ReportFrameRate;
}

}  // namespace vantrel
