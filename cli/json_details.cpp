#include "cli/json_details.h"

#include "analyzers/dvd_audio_tables.h"
#include "analyzers/name_table.h"

namespace vantrel::cli {

namespace {

constexpr std::string_view kLfeName = "LFE";

// DTS PCMR codes: 0-1 16 bits, 2-3 20 bits, 5-6 24 bits; 1, 3 and 5 DTS-ES.
constexpr std::array<int, 8> kDtsResolutionBits = {16, 16, 20, 20, 0, 24, 24, 0};

void dynamicRange(Json& j, const std::optional<MlpDynamicRange>& range) {
  if (range) j["dynamic_range_db"] = {dynamicRangeDb(range->first), dynamicRangeDb(range->second)};
}

void surroundModifier(Json& j, const char* key, uint8_t modifier) {
  const std::string_view name = nameOf(surroundModifierNames, modifier);
  if (!name.empty()) j[key] = name;
}

std::string_view mpeg2AspectRatioText(uint8_t code) {
  constexpr std::string_view kPrefix = "   Aspect ratio = ";
  return mpeg2AspectRatioLines[code & 15].substr(kPrefix.size());
}

Json mpeg2(const Mpeg2VideoAnalysis& a) {
  Json j = Json::object();
  std::optional<int> picturesBefore;
  Json illegal = Json::array();
  for (const Mpeg2Event& event : a.events) {
    if (auto* found = std::get_if<mpeg2::SequenceHeaderFound>(&event))
      picturesBefore = found->picturesBefore;
    else if (auto* bad = std::get_if<mpeg2::IllegalPictureType>(&event))
      illegal.push_back(bad->type);
  }
  j["sequence_header"] = picturesBefore.has_value();
  if (picturesBefore) j["pictures_before_sequence_header"] = *picturesBefore;
  if (a.size) {
    j["width"] = a.size->width;
    j["height"] = a.size->height;
  }
  if (a.aspectAndFrameRate) {
    const uint8_t aspect = a.aspectAndFrameRate->aspectRatio & 15;
    const uint8_t rate = a.aspectAndFrameRate->frameRate & 15;
    // Codes 1 to 4 have a ratio; 0 is forbidden, the others reserved.
    if (aspect >= 1 && aspect <= 4) j["aspect_ratio"] = ratioText(mpeg2AspectRatioText(aspect));
    j["aspect_ratio_code"] = aspect;
    // Codes 1 to 8 have a rate; the others are forbidden or reserved.
    if (rate >= 1 && rate <= 8) j["frame_rate"] = mpeg2FrameRates[rate];
    j["frame_rate_code"] = rate;
  }
  if (a.bitRate) j["bit_rate"] = *a.bitRate;
  if (a.progressive) j["progressive"] = *a.progressive;
  if (!illegal.empty()) j["illegal_picture_types"] = illegal;
  return j;
}

Json vc1(const Vc1SequenceHeader& h) {
  Json j = Json::object();
  if (h.profile == 3) j["profile"] = "Advanced";
  if (h.level <= 4) j["level"] = h.level;
  if (h.colordiffFormat == 1) j["chroma_format"] = "4:2:0";
  j["width"] = h.codedWidth();
  j["height"] = h.codedHeight();
  j["interlaced"] = h.interlace;
  j["pulldown"] = h.pulldown;
  j["progressive_segmented_frames"] = h.psf;
  if (h.displaySize) {
    j["display_width"] = h.displaySize->horizontal + 1u;
    j["display_height"] = h.displaySize->vertical + 1u;
  }
  if (h.aspectRatio) {
    const auto& aspect = *h.aspectRatio;
    if (aspect.code == Vc1SequenceHeader::kExplicitAspectRatio)
      j["sample_aspect_ratio"] =
          std::to_string(aspect.horizontal + 1) + ":" + std::to_string(aspect.vertical + 1);
    else if (aspect.code != 0 && aspect.code != Vc1SequenceHeader::kReservedAspectRatio)
      j["sample_aspect_ratio"] = ratioText(aspectRatioNames[aspect.code & 15]);
  }
  if (!h.frameRate) return j;
  const Vc1FrameRate rate = vc1FrameRate(h);
  const auto known = rate.known();
  if (!known) return j;
  j["frame_rate"] = *known;
  if (!h.frameRate->explicitRate) {
    j["frame_rate_numerator"] = rate.numerator;
    j["frame_rate_denominator"] = rate.denominator;
  }
  return j;
}

Json h264(const H264Sps& sps) {
  Json j = Json::object();
  j["profile"] = h264ProfileName(sps);
  j["profile_idc"] = sps.profileIdc;
  j["level"] = h264LevelName(sps);
  j["level_idc"] = sps.levelIdc;
  if (sps.chroma) {
    // Without the chroma fields the stream is 4:2:0 with 8-bit samples.
    const std::string_view format = nameOf(h264ChromaFormatNames, sps.chroma->formatIdc);
    if (!format.empty()) j["chroma_format"] = format;
    j["bit_depth_luma"] = int64_t{sps.chroma->bitDepthLumaMinus8} + 8;
    j["bit_depth_chroma"] = int64_t{sps.chroma->bitDepthChromaMinus8} + 8;
  }
  if (auto size = sps.size()) {
    j["width"] = size->width;
    j["height"] = size->height;
  }
  if (sps.frame) j["interlaced"] = sps.interlaced();
  if (!sps.vui) return j;
  const H264Vui& vui = *sps.vui;
  if (vui.aspectRatioIdc) {
    const uint8_t idc = *vui.aspectRatioIdc;
    if (idc == 255)
      j["sample_aspect_ratio"] = std::to_string(vui.sarWidth) + ":" + std::to_string(vui.sarHeight);
    else if (idc != 0 && idc < aspectRatioNames.size())
      j["sample_aspect_ratio"] = ratioText(aspectRatioNames[idc]);
  }
  if (vui.videoFormat) {
    const std::string_view format = nameOf(h264VideoFormatNames, *vui.videoFormat);
    if (!format.empty()) j["video_format"] = format;
  }
  if (vui.timing) {
    j["time_scale"] = vui.timing->timeScale;
    j["num_units_in_tick"] = vui.timing->numUnitsInTick;
    j["fixed_frame_rate"] = vui.timing->fixedFrameRate;
    // The log's "Frame rate" line shows the tick rate; a frame lasts two
    // ticks (ITU-T H.264 E.2.1).
    if (auto ticks = vui.timing->tickRate()) j["tick_rate"] = *ticks;
    if (auto rate = vui.timing->frameRate()) j["frame_rate"] = *rate;
  }
  return j;
}

Json ac3(const Ac3Analysis& a) {
  Json j = Json::object();
  if (a.frames.empty()) return j;
  // A frame without a rate is followed by the next one; the last tells.
  const Ac3FrameHeader& h = a.frames.back();
  j["format"] = h.enhanced() ? "E-AC-3" : "AC-3";
  if (h.sampleRate) j["sample_rate"] = h.sampleRate;
  if (h.bitRate) j["bit_rate"] = h.bitRate;
  j["channel_arrangement"] = ac3ChannelModes[h.acmod & 7];
  j["channels"] = h.channelCount();
  j["lfe"] = h.lfeon != 0;
  j["bsid"] = h.bsid;
  if (h.enhanced()) {
    j["frame_size"] = h.frameBytes();
    j["blocks_per_frame"] = h.blocks;
  } else {
    j["bsmod"] = h.bsmod;
  }
  return j;
}

Json dts(const DtsAnalysis& a) {
  Json j = Json::object();
  bool channelExtension = false;
  bool frequencyExtension = false;
  const DtsCoreHeader* core = nullptr;
  for (const DtsEvent& event : a.events) {
    if (auto* h = std::get_if<DtsCoreHeader>(&event)) {
      if (!core) core = h;
    } else if (std::holds_alternative<DtsChannelExtension>(event)) {
      channelExtension = true;
    } else {
      frequencyExtension = true;
    }
  }
  if (core) {
    const DtsCoreHeader& h = *core;
    if (auto rate = h.sampleRateHz()) j["sample_rate"] = *rate;
    if (auto rate = h.bitRate())
      j["bit_rate"] = *rate;
    else
      j["bit_rate_mode"] = h.rate == 29 ? "open" : h.rate == 30 ? "variable" : "lossless";
    j["channel_arrangement"] =
        h.amode < dtsChannelArrangements.size() ? dtsChannelArrangements[h.amode] : "User defined";
    if (h.channelCount() > 0) j["channels"] = h.channelCount() + (h.hasLfe() ? 1 : 0);
    j["lfe"] = h.hasLfe();
    j["core_samples"] = h.shortCount + 1;
    j["pcm_sample_blocks"] = h.nblks + 1;
    j["frame_size"] = h.fsize + 1;  // FSIZE is the byte size minus one
    if (h.extAudio) j["extension_audio"] = nameOf(dtsExtensionNames, h.extAudioId);
    if (h.hcrc) j["header_crc"] = *h.hcrc;
    j["encoder_revision"] = h.vernum;
    if (int bits = kDtsResolutionBits[h.pcmr & 7]) {
      j["bit_depth"] = bits;
      j["es"] = h.pcmr == 1 || h.pcmr == 3 || h.pcmr == 5;
    }
  }
  j["channel_extension"] = channelExtension;
  j["frequency_extension"] = frequencyExtension;
  return j;
}

Json trueHd(const TrueHdMajorSync& h) {
  Json j = Json::object();
  j["format"] = "TrueHD";
  if (h.bytesTaken >= 1 && h.sampleRateHz() > 0) j["sample_rate"] = h.sampleRateHz();
  if (h.bytesTaken >= 3) {
    j["channel_modifier_2ch"] = channelModifierNames[h.modifier2 & 3];
    surroundModifier(j, "channel_modifier_6ch", h.modifier6);
    j["channel_arrangement_6ch"] = channelList(sixChannelNames, h.assignment6);
  }
  if (h.bytesTaken >= 4) {
    surroundModifier(j, "channel_modifier_8ch", h.modifier8);
    j["channel_arrangement"] = channelList(eightChannelNames, h.assignment8);
    j["channels"] = h.channelCount();
    j["lfe"] = (h.assignment8 & (1u << 2 | 1u << 12)) != 0;  // LFE, LFE2
  }
  dynamicRange(j, h.dynamicRange);
  return j;
}

Json mlpSync(const MlpMajorSync& h) {
  Json j = Json::object();
  j["format"] = "MLP";
  if (h.bytesTaken >= 1 && h.bitsPerSample() > 0) j["bit_depth"] = h.bitsPerSample();
  if (h.bytesTaken >= 2 && h.sampleRateHz() > 0) j["sample_rate"] = h.sampleRateHz();
  if (h.bytesTaken >= 4) {
    const std::string_view arrangement = nameOf(channelAssignmentNames, h.channelAssignment);
    j["channel_arrangement"] = arrangement;
    if (h.channelCount() > 0) {
      j["channels"] = h.channelCount();
      j["lfe"] = arrangement.find(kLfeName) != std::string_view::npos;
    }
  }
  dynamicRange(j, h.dynamicRange);
  return j;
}

Json mlp(const MlpAnalysis& a) {
  if (a.headers.empty()) return Json::object();
  return std::visit(
      [](const auto& h) {
        if constexpr (std::is_same_v<std::decay_t<decltype(h)>, TrueHdMajorSync>)
          return trueHd(h);
        else
          return mlpSync(h);
      },
      a.headers.front());
}

Json lpcm(const LpcmHeader& h) {
  Json j = Json::object();
  if (h.bytesTaken > 1) j["frame_headers"] = h.frameHeaderCount;
  if (h.bytesTaken > 3) j["first_access_unit_pointer"] = h.firstAccessUnitPointer;
  if (h.bytesTaken > 4) {
    j["emphasis"] = h.emphasis;
    j["mute"] = h.mute;
    j["frame_number"] = h.frameNumber;
  }
  if (h.bytesTaken > 5) {
    if (h.bitsPerSample() > 0) j["bit_depth"] = h.bitsPerSample();
    if (h.sampleRateHz() > 0) j["sample_rate"] = h.sampleRateHz();
    j["channels"] = h.channelCount;
  }
  if (h.dynamicRange) j["dynamic_range_db"] = dynamicRangeDb(*h.dynamicRange);
  return j;
}

Json subpicture(const SubpictureFormat& format) {
  Json j = Json::object();
  j["format"] = format.eightBit ? "8bitRLE" : "2bitRLE";
  return j;
}

struct DetailsRenderer {
  Json operator()(std::monostate) const { return Json::object(); }
  Json operator()(const Mpeg2VideoAnalysis& a) const { return mpeg2(a); }
  Json operator()(const Vc1SequenceHeader& h) const { return vc1(h); }
  Json operator()(const H264Sps& sps) const { return h264(sps); }
  Json operator()(const Ac3Analysis& a) const { return ac3(a); }
  Json operator()(const DtsAnalysis& a) const { return dts(a); }
  Json operator()(const MlpAnalysis& a) const { return mlp(a); }
  Json operator()(const LpcmHeader& h) const { return lpcm(h); }
  Json operator()(const SubpictureFormat& f) const { return subpicture(f); }
};

Json flag(bool valid, int code, std::string_view name) {
  Json j = Json::object();
  j["valid"] = valid;
  j["code"] = code;
  if (!name.empty()) j["name"] = name;
  return j;
}

}  // namespace

std::string ratioText(std::string_view name) {
  const size_t open = name.find("[bl]");
  const size_t close = name.find("[/bl]");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return std::string(name);
  return std::string(name.substr(open + 4, close - open - 4));
}

Json detailsJson(const StreamAnalysis& analysis) {
  return std::visit(DetailsRenderer{}, analysis);
}

Json navigationJson(const NavigationInfo& nav, int videoCount, int audioCount,
                    double durationSeconds) {
  Json j = Json::object();
  j["vob_number"] = nav.vobNumber;
  j["first_video_ptm"] = nav.firstVideoPtm;
  j["last_video_ptm"] = nav.lastVideoPtm;
  j["duration"] = durationSeconds;
  j["stream_counts"] = {
      {"video", videoCount}, {"audio", audioCount}, {"subpicture", nav.subpictureEntries}};
  return j;
}

Json copyControlJson(const CopyControlInfo& cc) {
  Json j = Json::object();
  j["scrambled"] = cc.scrambled;
  j["cci"] = flag(cc.cciValid, cc.cci, copyControlName(cc.cci));
  j["aps"] = flag(cc.apsValid, cc.aps, protectionName(cc.aps));
  j["ict"] = {{"valid", cc.ictValid}, {"on", cc.ict}};
  j["dot"] = {{"valid", cc.dotValid}, {"on", cc.dot}};
  return j;
}

Json frameReportJson(const FrameReport& report) {
  Json j = Json::object();
  j["duration"] = report.titleDuration;
  Json video = Json::array();
  for (const VideoFrameFacts& v : report.video) {
    Json slot = Json::object();
    slot["slot"] = v.slot;
    slot["counted_frames"] = v.countedFrames;
    if (v.frameRate > 0) {
      slot["frame_rate"] = v.frameRate;
      if (v.countedFrames > 0) slot["counted_duration"] = v.countedFrames / v.frameRate;
      slot["calculated_frames"] = v.calculatedFrames;
    }
    video.push_back(slot);
  }
  j["video"] = video;
  return j;
}

}  // namespace vantrel::cli
