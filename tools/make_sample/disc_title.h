#pragma once

// Disc-shaped titles for the tests: a disc folder (HVDVD_TS with the EVO
// files and HVA00001.VTI, ADV_OBJ with VPLST000.XPL) laid out the way
// retail HD DVD discs are: navigation packs whose GCI, PCI and DSI describe
// their units, ADV_PCKs in the first unit, titles split over several EVO
// files, blocks of interleaved angles in one file, playlist tracks with
// descriptions and languages, chapters on the disc clock. Streams are
// encoded by ffmpeg (VC-1, which ffmpeg cannot encode, is built by hand) and
// the result tells what every file holds, so a test can hold a demuxer or a
// rebuild against it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/make_sample/stream_encoder.h"
#include "tools/psmux/es_muxer.h"

namespace vantrel::sample {

struct DiscStream {
  DiscStream(psmux::EsCodec codec_ = psmux::EsCodec::H264Video, uint8_t id_ = 0xE2, std::string description_ = "",
             std::string language_ = "en", std::string languageExtension_ = "00", double start_ = 0,
             double end_ = 0)
      : codec(codec_), id(id_), description(std::move(description_)), language(std::move(language_)),
        languageExtension(std::move(languageExtension_)), start(start_), end(end_) {}

  psmux::EsCodec codec = psmux::EsCodec::H264Video;
  // Video: E0 (MPEG-2), E2 (H.264) or 55 (VC-1); audio and subpictures:
  // their substream id (AC-3 80, DTS 88, LPCM A0, TrueHD B0, E-AC-3 C0,
  // subpictures 20, plus the stream number).
  uint8_t id = 0xE2;
  std::string description;               // the playlist's track description
  std::string language = "en";           // two letters
  std::string languageExtension = "00";  // after the language: "09" forced captions, ...
  double start = 0;  // seconds into the title where its first unit lies (audio, subpictures; may be < 0)
  double end = 0;    // seconds into the title where it stops; 0: the end of the title
  int channels = 2;  // LPCM: its channels (a tone each) and bits per sample (16, 20, 24)
  int bits = 16;
};

struct DiscTitle {
  std::string name = "FEATURE";  // files NAME_1.EVO, NAME_2.EVO, ...; an angle block NAME.EVO
  std::string displayName = "Feature";
  double duration = 1.6;          // seconds
  uint64_t startPts = 90000;      // of the first picture; near 2^32 for stamps that wrap within the title
  std::vector<double> splits;     // seconds where the next file begins (at the next group of pictures)
  std::vector<DiscStream> streams;  // the first is the video the title's time runs by
  // More than 1: one file of interleaved angle EVOBs, every angle with
  // pictures and sound of its own, unitsPerIlvu video object units per
  // interleaved unit. No splits then.
  int angles = 1;
  int unitsPerIlvu = 2;
  bool advancedPacks = false;    // an ADV_PCK resource in the title's first unit
  std::vector<double> chapters;  // seconds; empty: one at the start and one at each file boundary
};

struct DiscLayout {
  std::vector<DiscTitle> titles;
  // Tools and the cache of encoded streams; without a work folder the
  // intermediate files go to a temporary one.
  EncodeSetup encoding;
};

// One stream as one EVOB holds it.
struct DiscStreamContent {
  psmux::EsCodec codec = psmux::EsCodec::H264Video;
  uint8_t id = 0;
  psmux::Bytes bytes;  // its elementary stream: the access units, in order
  uint64_t units = 0;
  uint64_t firstPts = 0;         // of its first access unit
  std::vector<uint64_t> packs;   // its packs, numbered from the first of the file
};

// An EVOB: one file of a title's chain, or one angle of an interleaved block.
struct DiscEvob {
  std::string file;  // the EVO file it lies in
  uint16_t vobNumber = 1;
  int angle = 0;     // 1, 2, ... in an angle block; 0 otherwise
  uint64_t packs = 0;
  std::vector<DiscStreamContent> streams;  // the streams it holds
  const DiscStreamContent* find(psmux::EsCodec codec, uint8_t id) const;  // nullptr when absent
};

struct DiscTitleContent {
  std::string name;
  std::vector<std::string> files;  // playing order
  std::vector<DiscEvob> evobs;
  uint64_t start = 0;  // presentation of the first picture and end of the last (90 kHz)
  uint64_t end = 0;
  std::vector<uint64_t> chapters;  // 90 kHz from the title's start
  // A stream's bytes over the title's files, or in one angle of a block.
  psmux::Bytes bytesOf(psmux::EsCodec codec, uint8_t id, int angle = 0) const;
};

struct DiscContent {
  std::string folder;
  std::string playlist;  // ADV_OBJ/VPLST000.XPL
  std::string titleSet;  // HVDVD_TS/HVA00001.VTI
  std::vector<DiscTitleContent> titles;
  std::string advancedFile;      // the file the ADV_PCKs carry, also in ADV_OBJ ("" without)
  psmux::Bytes advancedData;
};

// Writes the disc into folder (created when missing). Throws
// std::runtime_error when a tool fails, std::invalid_argument for a title
// without streams, a video that is not first, angles with splits, or a
// stream that would start before PTS 0.
DiscContent writeDisc(const DiscLayout& layout, const std::string& folder);

// Ready-made titles. A feature of two files split at 0.8 s with H.264
// video, E-AC-3, TrueHD, DTS, LPCM, an AC-3 commentary in FEATURE_1 only,
// English subtitles and French forced subtitles that begin late, and
// ADV_PCKs; an angle block of H.264 video and AC-3 audio per angle.
DiscTitle featureTitle();
DiscTitle angleTitle(int angles = 3);

}  // namespace vantrel::sample
