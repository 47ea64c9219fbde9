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

// The rate the frame report divides H.264 picture counts by when the
// stream carries no timing information: HD DVD video is film.
inline constexpr double kH264ReportFrameRate = 24000.0 / 1001.0;

// Video usability information (ITU-T H.264 E.1.1), as far as it is read.
// Each part is present only when all of its fields were there in full.
struct H264Vui {
  std::optional<uint8_t> aspectRatioIdc;  // aspect_ratio_idc
  uint16_t sarWidth = 0;                  // sar_width (aspect_ratio_idc 255)
  uint16_t sarHeight = 0;                 // sar_height
  std::optional<uint8_t> videoFormat;     // video_format
  // timing_info_present_flag: num_units_in_tick, time_scale, fixed_frame_rate_flag
  struct Timing {
    uint32_t numUnitsInTick = 0;
    uint32_t timeScale = 0;
    bool fixedFrameRate = false;

    // time_scale / num_units_in_tick, the rate of the "Frame rate" line.
    std::optional<double> tickRate() const;
    // A frame lasts two ticks (E.2.1): half the tick rate.
    std::optional<double> frameRate() const;
  };
  std::optional<Timing> timing;
};

// The sequence parameter set (ITU-T H.264 7.3.2.1.1), as far as it is read.
// The first three bytes are always there; every later group of fields is
// present only when the set held all of it.
struct H264Sps {
  uint8_t profileIdc = 0;       // profile_idc
  uint8_t constraintFlags = 0;  // constraint_set0_flag (bit 7) .. constraint_set5_flag (bit 2)
  uint8_t levelIdc = 0;         // level_idc

  // chroma_format_idc and the bit depths. Only the high profiles code them;
  // the others are 4:2:0 with 8-bit samples.
  struct Chroma {
    bool coded = false;
    uint32_t formatIdc = 1;             // chroma_format_idc
    bool separateColourPlane = false;   // separate_colour_plane_flag
    uint32_t bitDepthLumaMinus8 = 0;    // bit_depth_luma_minus8
    uint32_t bitDepthChromaMinus8 = 0;  // bit_depth_chroma_minus8
  };
  std::optional<Chroma> chroma;

  // The picture size fields, from pic_width_in_mbs_minus1 to the cropping.
  struct Frame {
    uint32_t picWidthInMbsMinus1 = 0;        // pic_width_in_mbs_minus1
    uint32_t picHeightInMapUnitsMinus1 = 0;  // pic_height_in_map_units_minus1
    bool frameMbsOnly = true;                // frame_mbs_only_flag
    bool mbAdaptiveFrameField = false;       // mb_adaptive_frame_field_flag
    // frame_crop_left/right/top/bottom_offset, when frame_cropping_flag is set
    struct Crop {
      uint32_t left = 0, right = 0, top = 0, bottom = 0;
    };
    std::optional<Crop> crop;
  };
  std::optional<Frame> frame;

  std::optional<H264Vui> vui;  // when vui_parameters_present_flag is set

  bool constraintSet(int n) const { return (constraintFlags >> (7 - n) & 1) != 0; }
  // The displayed size: the coded macroblocks less the frame cropping.
  struct Size {
    int64_t width = 0;
    int64_t height = 0;
  };
  std::optional<Size> size() const;
  bool interlaced() const { return frame && !frame->frameMbsOnly; }
};

// Profiles whose sequence parameter sets carry chroma_format_idc and the
// bit depths (ITU-T H.264 7.3.2.1.1), with 144 from the 2005 edition.
bool h264HasChromaFields(uint8_t profileIdc);

// The profile's name by profile_idc and the constraint flags that narrow it
// (Annex A: "Constrained Baseline", "High 10 Intra", ...; "Unknown" for
// codes the standard does not define), and the level as "4.1" (or "1b").
std::string_view h264ProfileName(const H264Sps& sps);
std::string h264LevelName(const H264Sps& sps);

// The rate the frame report divides by: the frame rate of the stream's
// timing information, else kH264ReportFrameRate.
double h264ReportFrameRate(const H264Sps& sps);

// Finds the first sequence parameter set NAL unit (nal_ref_idc 1 or 3) in
// the payload and parses as much of it as the payload holds. Nothing when
// there is none, or it ends within its first three bytes.
std::optional<H264Sps> parseH264(const Payload& payload);
void describeH264(const H264Sps& sps, Host& host);

}  // namespace vantrel
