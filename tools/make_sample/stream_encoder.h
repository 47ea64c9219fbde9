#pragma once

// Test patterns and tones encoded with ffmpeg into time-stamped access
// units, each codec with the settings of the bundled sample. With a cache
// folder, what an earlier run encoded from the same arguments with the same
// ffmpeg is reused, so many test titles cost one encode per stream.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/psmux/access_units.h"
#include "tools/psmux/es_muxer.h"

namespace vantrel::sample {

struct Tools {
  std::string ffmpeg = "ffmpeg";
  std::string ffprobe = "ffprobe";
};

struct EncodeSetup {
  Tools tools;
  std::string workDir;   // encoded files go here, named after their job
  std::string cacheDir;  // when set: encoded files and their ffprobe listings are kept and reused here
};

struct VideoJob {
  std::string name;  // file name without extension
  psmux::EsCodec codec = psmux::EsCodec::Mpeg2Video;  // MPEG-2 or H.264
  std::string pattern = "testsrc2";                    // ffmpeg's lavfi source
  std::string size = "352x288";
  int rate = 25;                 // frames per second
  std::string duration = "4.8";  // seconds, as ffmpeg reads them
};

struct AudioJob {
  std::string name;
  psmux::EsCodec codec = psmux::EsCodec::Ac3;  // AC-3, E-AC-3, DTS, TrueHD or LPCM
  int left = 440;                              // tone frequencies in Hz
  int right = 660;
  std::string duration = "4.8";
  // LPCM only: more channels (each a tone of its own) and 20 or 24 bits in
  // the DVD layout.
  int channels = 2;
  int bits = 16;
};

// The first picture shown, or the first frame, gets firstPts. Video units
// know whether decoding can start at them and whether they are reference
// pictures. Throws std::runtime_error when a tool fails or its output does
// not describe the stream; std::invalid_argument for a codec without an
// encoder here.
std::vector<psmux::AccessUnit> encodeVideo(const EncodeSetup& setup, const VideoJob& job, uint64_t firstPts);
std::vector<psmux::AccessUnit> encodeAudio(const EncodeSetup& setup, const AudioJob& job, uint64_t firstPts);

// 90 kHz ticks of one frame at `rate` frames per second.
inline uint32_t frameTicks(int rate) { return uint32_t(90000 / rate); }

}  // namespace vantrel::sample
