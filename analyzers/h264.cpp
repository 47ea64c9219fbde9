#include "analyzers/h264.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analyzers/analyzers.h"
#include "analyzers/bit_reader.h"
#include "analyzers/name_table.h"
#include "analyzers/start_code_unit.h"
#include "analyzers/vc1.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

static_assert(h264ChromaFormatNames[3] == "4:4:4" && h264VideoFormatNames[5] == "Unspecified");

// Start code and NAL header of a sequence parameter set (nal_unit_type 7)
// with nal_ref_idc 1 or 3.
constexpr uint32_t kSpsStartCodeRef1 = 0x00000127;
constexpr uint32_t kSpsStartCodeRef3 = 0x00000167;
// num_ref_frames_in_pic_order_cnt_cycle is at most 255 (7.4.2.1.1).
constexpr uint32_t kMaxRefFramesInPocCycle = 255;

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
  if (r.readFlag()) {                                    // aspect_ratio_info_present_flag
    const auto idc = static_cast<uint8_t>(r.read(8));    // aspect_ratio_idc
    if (idc == 255) {                                    // Extended_SAR
      vui.sarWidth = static_cast<uint16_t>(r.read(16));  // sar_width
      vui.sarHeight = static_cast<uint16_t>(r.read(16));  // sar_height
    }
    vui.aspectRatioIdc = r.whole(idc);
  }
  if (r.readFlag()) r.skip(1);  // overscan_info_present_flag, overscan_appropriate_flag
  if (r.readFlag()) {           // video_signal_type_present_flag
    vui.videoFormat = r.whole(static_cast<uint8_t>(r.read(3)));  // video_format
    r.skip(1);                                                   // video_full_range_flag
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
    vui.timing = r.whole(timing);
  }
  // Nothing after the timing is needed.
  return vui;
}

// The Baseline line has always ended in a blank.
std::string profileLine(const H264Sps& sps) {
  const std::string_view name = h264ProfileName(sps);
  return "   Profile = " + std::string(name) + (name == "Baseline" ? " " : "");
}

}  // namespace

std::optional<double> H264Vui::Timing::tickRate() const {
  if (numUnitsInTick == 0) return std::nullopt;
  return double(timeScale) / numUnitsInTick;
}

std::optional<double> H264Vui::Timing::frameRate() const {
  if (numUnitsInTick == 0 || timeScale == 0) return std::nullopt;
  return double(timeScale) / (2.0 * numUnitsInTick);
}

std::string_view h264ProfileName(const H264Sps& sps) {
  const bool intra = sps.constraintSet(3);
  const bool progressive = sps.constraintSet(4);
  const bool constrained = sps.constraintSet(5);
  switch (sps.profileIdc) {
    case 66:
      return sps.constraintSet(1) ? "Constrained Baseline" : "Baseline";
    case 77:
      return "Main";
    case 88:
      return "Extended";
    case 100:
      if (progressive) return constrained ? "Constrained High" : "Progressive High";
      return "High";
    case 110:
      return intra ? "High 10 Intra" : progressive ? "Progressive High 10" : "High 10";
    case 122:
      return intra ? "High 4:2:2 Intra" : "High 4:2:2";
    case 144:  // withdrawn from the standard in 2007
      return "High 4:4:4";
    case 244:
      return intra ? "High 4:4:4 Intra" : "High 4:4:4 Predictive";
    case 44:
      return "CAVLC 4:4:4 Intra";
    case 83:
      return constrained ? "Scalable Constrained Baseline" : "Scalable Baseline";
    case 86:
      return intra         ? "Scalable High Intra"
             : constrained ? "Scalable Constrained High"
                           : "Scalable High";
    case 118:
      return "Multiview High";
    case 128:
      return "Stereo High";
    case 134:
      return "MFC High";
    case 135:
      return "MFC Depth High";
    case 138:
      return "Multiview Depth High";
    case 139:
      return "Enhanced Multiview Depth High";
    default:
      return "Unknown";
  }
}

std::string h264LevelName(const H264Sps& sps) {
  if (sps.levelIdc == 11 && sps.constraintSet(3)) return "1b";
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

std::optional<H264Sps::Size> H264Sps::size() const {
  if (!chroma || !frame) return std::nullopt;
  const int64_t fieldFactor = frame->frameMbsOnly ? 1 : 2;
  Size size{(int64_t{frame->picWidthInMbsMinus1} + 1) * 16,
            fieldFactor * (int64_t{frame->picHeightInMapUnitsMinus1} + 1) * 16};
  if (frame->crop) {
    // CropUnitX and CropUnitY (7.4.2.1.1): offsets count chroma samples,
    // except in monochrome and separately coded colour planes.
    const bool chromaSamples = chroma->formatIdc != 0 && !chroma->separateColourPlane;
    const int64_t unitX = chromaSamples && chroma->formatIdc != 3 ? 2 : 1;
    const int64_t unitY = (chromaSamples && chroma->formatIdc == 1 ? 2 : 1) * fieldFactor;
    size.width -= (int64_t{frame->crop->left} + frame->crop->right) * unitX;
    size.height -= (int64_t{frame->crop->top} + frame->crop->bottom) * unitY;
  }
  // Cropping away the whole picture leaves no size to tell.
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  return size;
}

double h264ReportFrameRate(const H264Sps& sps) {
  if (sps.vui && sps.vui->timing)
    if (auto rate = sps.vui->timing->frameRate()) return *rate;
  return kH264ReportFrameRate;
}

std::optional<H264Sps> parseH264(const Payload& payload) {
  const auto first = findStartCode(payload, {kSpsStartCodeRef1, kSpsStartCodeRef3});
  if (!first) return std::nullopt;
  const std::vector<uint8_t> rbsp = unescapedUnit(payload, *first);
  BitReader r(rbsp);
  r.start(0);

  H264Sps sps;
  sps.profileIdc = static_cast<uint8_t>(r.read(8));       // profile_idc
  sps.constraintFlags = static_cast<uint8_t>(r.read(8));  // constraint_set0..5_flag, reserved_zero_2bits
  sps.levelIdc = static_cast<uint8_t>(r.read(8));         // level_idc
  if (r.ranOut()) return std::nullopt;
  r.readUe();  // seq_parameter_set_id

  H264Sps::Chroma chroma;
  chroma.coded = h264HasChromaFields(sps.profileIdc);
  if (chroma.coded) {
    chroma.formatIdc = r.readUe();  // chroma_format_idc
    if (chroma.formatIdc == 3) chroma.separateColourPlane = r.readFlag();
    chroma.bitDepthLumaMinus8 = r.readUe();    // bit_depth_luma_minus8
    chroma.bitDepthChromaMinus8 = r.readUe();  // bit_depth_chroma_minus8
  }
  sps.chroma = r.whole(chroma);
  if (chroma.coded) {
    r.skip(1);           // qpprime_y_zero_transform_bypass_flag
    if (r.readFlag()) {  // seq_scaling_matrix_present_flag
      const int lists = chroma.formatIdc != 3 ? 8 : 12;
      for (int i = 0; i < lists; ++i)
        if (r.readFlag()) skipScalingList(r, i < 6 ? 16 : 64);  // seq_scaling_list_present_flag
    }
  }

  r.readUe();                                 // log2_max_frame_num_minus4
  const uint32_t picOrderCntType = r.readUe();  // pic_order_cnt_type
  if (picOrderCntType == 0) {
    r.readUe();  // log2_max_pic_order_cnt_lsb_minus4
  } else if (picOrderCntType == 1) {
    r.skip(1);                    // delta_pic_order_always_zero_flag
    r.readSe();                   // offset_for_non_ref_pic
    r.readSe();                   // offset_for_top_to_bottom_field
    uint32_t cycle = r.readUe();  // num_ref_frames_in_pic_order_cnt_cycle
    for (uint32_t i = 0; i < std::min(cycle, kMaxRefFramesInPocCycle) && !r.ranOut(); ++i)
      r.readSe();  // offset_for_ref_frame
  }
  r.readUe();   // max_num_ref_frames
  r.skip(1);    // gaps_in_frame_num_value_allowed_flag

  H264Sps::Frame frame;
  frame.picWidthInMbsMinus1 = r.readUe();        // pic_width_in_mbs_minus1
  frame.picHeightInMapUnitsMinus1 = r.readUe();  // pic_height_in_map_units_minus1
  frame.frameMbsOnly = r.readFlag();             // frame_mbs_only_flag
  if (!frame.frameMbsOnly) frame.mbAdaptiveFrameField = r.readFlag();  // mb_adaptive_frame_field_flag
  r.skip(1);                                                           // direct_8x8_inference_flag
  if (r.readFlag()) {                                                  // frame_cropping_flag
    H264Sps::Frame::Crop crop;
    crop.left = r.readUe();    // frame_crop_left_offset
    crop.right = r.readUe();   // frame_crop_right_offset
    crop.top = r.readUe();     // frame_crop_top_offset
    crop.bottom = r.readUe();  // frame_crop_bottom_offset
    frame.crop = crop;
  }
  sps.frame = r.whole(frame);
  if (r.readFlag()) sps.vui = readVui(r);  // vui_parameters_present_flag
  return sps;
}

void describeH264(const H264Sps& sps, Host& host) {
  host.log(profileLine(sps));
  host.log("   Level = " + h264LevelName(sps));
  if (sps.chroma && sps.chroma->coded)
    host.log("   Chroma format = [bl]" +
             std::string(nameOf(h264ChromaFormatNames, sps.chroma->formatIdc)) +
             "[/bl]  (l, c) = " + std::to_string(int64_t{sps.chroma->bitDepthLumaMinus8} + 8) +
             ", " + std::to_string(int64_t{sps.chroma->bitDepthChromaMinus8} + 8) + " bit");
  if (auto size = sps.size())
    host.log("   Size = [bl]" + std::to_string(size->width) + "[/bl]x[bl]" +
             std::to_string(size->height) + "[/bl]");
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
    // The line shows the tick rate; a zero tick would make it infinite.
    if (auto ticks = vui.timing->tickRate())
      host.log("   Frame rate = " + formatFloat(std::round(*ticks * 1000.0) / 1000.0) + " fps");
  }
}

std::optional<double> analyzeH264(const Payload& payload, Host& host) {
  const auto sps = parseH264(payload);
  if (!sps) return kH264ReportFrameRate;
  describeH264(*sps, host);
  return h264ReportFrameRate(*sps);
}

}  // namespace vantrel
