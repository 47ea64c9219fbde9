#include "analyzers/mpeg2_video.h"

#include <string>

#include "analyzers/analyzers.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

static_assert(mpeg2FrameRateLines[8] == "   Frame rate = [bl]60[/bl] fps");
static_assert(mpeg2FrameRateLines[9] == "   Frame rate = reserved");
static_assert(mpeg2AspectRatioLines[4] == "   Aspect ratio = [bl]2.21:1[/bl]");
static_assert(mpeg2FrameRates[7] == 60000.0 / 1001.0 && mpeg2FrameRates[9] == 1.0);

constexpr uint32_t kPictureStartCode = 0x00000100;
constexpr uint32_t kSequenceHeaderCode = 0x000001B3;
constexpr uint32_t kExtensionStartCode = 0x000001B5;
constexpr unsigned kSequenceExtensionId = 1;
constexpr unsigned kPictureCodingExtensionId = 8;
constexpr uint32_t kVariableBitRate = 0x3FFFF;  // bit_rate_value of a VBR stream

struct Describer {
  uint32_t firstPts;
  Host& host;

  void operator()(const mpeg2::SequenceHeaderFound& e) const {
    host.log("   Sequence Header found");
    if (e.picturesBefore > 0)
      host.log("   " + std::to_string(e.picturesBefore) + " frames before first Sequence Header");
  }
  void operator()(const mpeg2::PictureSize& e) const {
    host.log("   size = [bl]" + std::to_string(e.width) + "[/bl]x[bl]" + std::to_string(e.height) +
             "[/bl]");
  }
  void operator()(const mpeg2::AspectAndFrameRate& e) const {
    host.log(mpeg2AspectRatioLines[e.aspectRatio & 15]);
    host.log(mpeg2FrameRateLines[e.frameRate & 15]);
  }
  void operator()(const mpeg2::BitRate& e) const {
    host.log("  Sequence header bitrate = [bl]" + std::to_string(e.value * 400u / 1000u) +
             "[/bl] kbps");
  }
  void operator()(const mpeg2::IllegalPictureType& e) const {
    host.log("   illegal picture_coding_type = " + std::to_string(e.type));
  }
  void operator()(const mpeg2::FirstPictureTimeStamp&) const {
    host.log("   First Video PTS = " + hex8(firstPts));
  }
  void operator()(const mpeg2::ProgressiveSequence& e) const {
    host.log(std::string("   Progressive Sequence = ") + (e.progressive ? "1" : "0"));
  }
};

}  // namespace

std::optional<double> Mpeg2VideoAnalysis::frameRate() const {
  if (!aspectAndFrameRate) return std::nullopt;
  return mpeg2FrameRates[aspectAndFrameRate->frameRate & 15];
}

// A start-code shift register walks the payload byte by byte; countdowns
// pick out the few header bytes that matter. The rules are tried in a fixed
// order, so picture and sequence header codes always win, while an
// extension start code completing inside a header countdown is not seen.
Mpeg2VideoAnalysis parseMpeg2Video(const Payload& payload) {
  Mpeg2VideoAnalysis a;
  uint32_t shift = 0;
  int seqCountdown = 0;     // of the sequence header's first 7 bytes
  int picCountdown = 0;     // of the picture header's first 2 bytes
  int extCountdown = 0;     // the extension identifier byte is next
  int pceCountdown = 0;     // of a picture coding extension's first 5 bytes
  int seqExtCountdown = 0;  // the sequence extension's second byte is next
  bool sequenceSeen = false;
  bool headerDetailsDone = false;  // a sequence extension was reported
  int picturesBeforeSequence = 0;
  int ptsCountdown = 0;  // pictures to pass before the time stamp line

  for (size_t i = payload.position; i < payload.end(); ++i) {
    uint8_t b = payload.at(i);
    shift = shift << 8 | b;
    if (shift == kPictureStartCode) {
      picCountdown = 2;
    } else if (shift == kSequenceHeaderCode) {
      seqCountdown = 7;
      if (!sequenceSeen) {
        a.events.emplace_back(mpeg2::SequenceHeaderFound{picturesBeforeSequence});
        sequenceSeen = true;
        ptsCountdown = 2;
      }
      picturesBeforeSequence = 0;
    } else if (seqCountdown > 0) {
      --seqCountdown;
      if (headerDetailsDone) continue;
      if (seqCountdown == 4) {
        // horizontal_size_value (12), vertical_size_value (12)
        mpeg2::PictureSize size{static_cast<uint16_t>(shift >> 12 & 0xFFF),
                                static_cast<uint16_t>(shift & 0xFFF)};
        a.events.emplace_back(size);
        a.size = size;
      } else if (seqCountdown == 3) {
        // aspect_ratio_information (4), frame_rate_code (4)
        mpeg2::AspectAndFrameRate codes{static_cast<uint8_t>(b >> 4), static_cast<uint8_t>(b & 15)};
        a.events.emplace_back(codes);
        a.aspectAndFrameRate = codes;
      } else if (seqCountdown == 0) {
        // bit_rate_value (18), after the byte of the two codes
        uint32_t value = shift >> 6 & 0x3FFFF;
        a.events.emplace_back(mpeg2::BitRate{value});
        a.bitRate = value != 0 && value != kVariableBitRate ? std::optional(value * 400)
                                                            : std::nullopt;
      }
    } else if (picCountdown > 0) {
      --picCountdown;
      if (picCountdown == 0) {
        // temporal_reference (10), picture_coding_type (3): 1 I, 2 P, 3 B
        uint8_t type = shift >> 3 & 7;
        if (type == 0 || type > 3) a.events.emplace_back(mpeg2::IllegalPictureType{type});
      }
    } else if (shift == kExtensionStartCode) {
      extCountdown = 1;
    } else if (extCountdown > 0) {
      --extCountdown;
      unsigned id = b >> 4;  // extension_start_code_identifier
      if (id == kPictureCodingExtensionId) {
        if (sequenceSeen) pceCountdown = 5;
        ++picturesBeforeSequence;
      } else if (id == kSequenceExtensionId) {
        seqExtCountdown = 1;
      }
    } else if (pceCountdown > 0) {
      --pceCountdown;
      if (pceCountdown == 1 && ptsCountdown > 0 && --ptsCountdown == 0)
        a.events.emplace_back(mpeg2::FirstPictureTimeStamp{});
    } else if (seqExtCountdown > 0) {
      --seqExtCountdown;
      if (!headerDetailsDone) {
        // The extension's second byte: progressive_sequence is bit 3.
        bool progressive = (b & 0x08) != 0;
        a.events.emplace_back(mpeg2::ProgressiveSequence{progressive});
        a.progressive = progressive;
        headerDetailsDone = true;
      }
    }
  }
  return a;
}

void describeMpeg2Video(const Mpeg2VideoAnalysis& analysis, uint32_t firstPts, Host& host) {
  for (const Mpeg2Event& event : analysis.events) std::visit(Describer{firstPts, host}, event);
}

std::optional<double> analyzeMpeg2Video(const Payload& payload, uint32_t firstPts, Host& host) {
  Mpeg2VideoAnalysis analysis = parseMpeg2Video(payload);
  describeMpeg2Video(analysis, firstPts, host);
  return analysis.frameRate();
}

}  // namespace vantrel
