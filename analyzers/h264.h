#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analyzers/payload.h"
#include "common/host.h"

namespace vantrel {

// Chroma format by chroma_format_idc (ITU-T H.264 Table 6-1).
inline constexpr std::array<std::string_view, 4> h264ChromaFormatNames = {"monochrome", "4:2:0",
                                                                          "4:2:2", "4:4:4"};
// Video format by video_format (ITU-T H.264 Table E-2).
inline constexpr std::array<std::string_view, 8> h264VideoFormatNames = {
    "Component", "PAL", "NTSC", "SECAM", "MAC", "Unspecified", "", ""};

// The rate the frame report divides H.264 picture counts by: HD DVD video
// is film, and the stream's own timing describes fields as often as frames.
inline constexpr double kH264ReportFrameRate = 24000.0 / 1001.0;

// Video usability information (ITU-T H.264 E.1.1), as far as it is read.
struct H264Vui {
  std::optional<uint8_t> aspectRatioIdc;  // aspect_ratio_idc
  uint16_t sarWidth = 0;                  // sar_width (aspect_ratio_idc 255)
  uint16_t sarHeight = 0;                 // sar_height
  std::optional<uint8_t> videoFormat;     // video_format
  bool fullRange = false;                 // video_full_range_flag
  // timing_info_present_flag: num_units_in_tick, time_scale, fixed_frame_rate_flag
  struct Timing {
    uint32_t numUnitsInTick = 0;
    uint32_t timeScale = 0;
    bool fixedFrameRate = false;
  };
  std::optional<Timing> timing;
};

// The sequence parameter set (ITU-T H.264 7.3.2.1.1), as far as it is read.
struct H264Sps {
  uint8_t profileIdc = 0;       // profile_idc
  bool constraintSet3 = false;  // constraint_set3_flag
  uint8_t levelIdc = 0;         // level_idc
  uint32_t spsId = 0;           // seq_parameter_set_id
  // The chroma fields are only coded for the high profiles; otherwise the
  // stream is 4:2:0 with 8-bit samples.
  bool chromaFieldsCoded = false;
  uint32_t chromaFormatIdc = 1;            // chroma_format_idc
  bool separateColourPlane = false;        // separate_colour_plane_flag
  uint32_t bitDepthLumaMinus8 = 0;         // bit_depth_luma_minus8
  uint32_t bitDepthChromaMinus8 = 0;       // bit_depth_chroma_minus8
  bool scalingMatrixPresent = false;       // seq_scaling_matrix_present_flag
  uint32_t log2MaxFrameNumMinus4 = 0;      // log2_max_frame_num_minus4
  uint32_t picOrderCntType = 0;            // pic_order_cnt_type
  uint32_t maxNumRefFrames = 0;            // max_num_ref_frames
  uint32_t picWidthInMbsMinus1 = 0;        // pic_width_in_mbs_minus1
  uint32_t picHeightInMapUnitsMinus1 = 0;  // pic_height_in_map_units_minus1
  bool frameMbsOnly = true;                // frame_mbs_only_flag
  bool mbAdaptiveFrameField = false;       // mb_adaptive_frame_field_flag
  // frame_crop_left/right/top/bottom_offset, when frame_cropping_flag is set
  struct Crop {
    uint32_t left = 0, right = 0, top = 0, bottom = 0;
  };
  std::optional<Crop> crop;
  std::optional<H264Vui> vui;  // when vui_parameters_present_flag is set

  int64_t width() const;   // coded width (horizontal cropping is not applied)
  int64_t height() const;  // frame height less the vertical cropping
  bool interlaced() const { return !frameMbsOnly; }
};

// Profiles whose sequence parameter sets carry chroma_format_idc and the
// bit depths (ITU-T H.264 7.3.2.1.1), with 144 from the 2005 edition.
bool h264HasChromaFields(uint8_t profileIdc);

// "High", "Main", ... by profile_idc ("Unknown" for others), and the level
// as "4.1" (or "1b").
std::string_view h264ProfileName(uint8_t profileIdc);
std::string h264LevelName(const H264Sps& sps);

// Finds the first sequence parameter set NAL unit (nal_ref_idc 1 or 3) in
// the payload and parses it. Without one, the fields are read from the
// bytes at the payload's end, as an analyzer that found nothing would.
H264Sps parseH264(const Payload& payload);
void describeH264(const H264Sps& sps, Host& host);

}  // namespace vantrel
