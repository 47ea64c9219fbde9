#pragma once

// The bundled sample title: what it holds, how its streams are encoded with
// ffmpeg, and how they are muxed into a two-file HD DVD title with its
// playlist and title set information.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/make_sample/playlist_file.h"
#include "tools/make_sample/stream_encoder.h"
#include "tools/psmux/vti_builder.h"
#include "tools/psmux/access_units.h"
#include "tools/psmux/es_muxer.h"
#include "tools/psmux/pack_sink.h"

namespace vantrel::sample {

struct TitleStream {
  std::string name;  // for the report, e.g. "MPEG-2 video"
  psmux::EsCodec codec = psmux::EsCodec::Mpeg2Video;
  uint8_t id = 0;
  uint8_t lpcmFormat = 0x01;  // 16 bits, 48 kHz, 2 channels
  std::vector<psmux::AccessUnit> units;  // the whole title, decoding order
};

struct SampleTitle {
  std::vector<TitleStream> streams;
  uint64_t start = 0;  // presentation time of the first picture (90 kHz)
  uint64_t split = 0;  // where the second file begins
  uint64_t end = 0;    // end of the last picture
};

// Time line of the sample.
inline constexpr uint64_t kSampleStart = 90000;     // 1 s
inline constexpr uint64_t kSampleFileLength = 216000;  // 2.4 s per file
inline constexpr uint64_t kSampleLength = 2 * kSampleFileLength;

// Encodes the test patterns and tones (intermediate files go to workDir)
// and draws the captions.
SampleTitle makeSampleTitle(const Tools& tools, const std::string& workDir);

// A title already muxed into the given files (a chain such as FEATURE_1.EVO,
// FEATURE_2.EVO), read back into access units; needs no ffmpeg.
SampleTitle readTitle(const std::vector<std::string>& files);

// The files of the title that starts with folder/HVDVD_TS/FEATURE_1.EVO:
// FEATURE_1.EVO, FEATURE_2.EVO, ... as long as they exist.
std::vector<std::string> titleFiles(const std::string& folder);

struct WrittenFile {
  std::string path;
  uint64_t bytes = 0;
  psmux::MuxResult mux;
};

// Muxes one list of units per title stream (repeated as ListSource does);
// streams whose list is empty are left out of the file and their results
// stay empty.
using UnitLists = std::vector<const std::vector<psmux::AccessUnit>*>;
psmux::MuxResult muxTitleStreams(const std::vector<TitleStream>& streams, const UnitLists& units,
                                 const psmux::MuxOptions& options, psmux::PackSink& sink, uint64_t repeats = 1,
                                 uint64_t period = 0);

// The streams split into parts at `splits` (video at the first picture from
// which decoding can start at or after the time, other streams at their first
// unit at or after it), part k muxed into paths[k] with options[k]; each file
// after the first starts its clock where the one before stopped. Streams
// without units in a part are left out of its file.
std::vector<WrittenFile> writeChain(const std::vector<TitleStream>& streams, const std::vector<uint64_t>& splits,
                                    const std::vector<std::string>& paths, std::vector<psmux::MuxOptions> options);

// outDir/HVDVD_TS/FEATURE_1.EVO and FEATURE_2.EVO (the title split at
// `split`, time stamps and system clock continuing), outDir/HVDVD_TS/
// HVA00001.VTI and outDir/ADV_OBJ/VPLST000.XPL. Folders are created.
std::vector<WrittenFile> writeSampleDisc(const SampleTitle& title, const std::string& outDir);

// One file of at least minBytes: the whole title repeated, time stamps
// increasing from round to round.
WrittenFile writeRepeatedTitle(const SampleTitle& title, const std::string& path, uint64_t minBytes);

// The playlist and title set information that describe the sample.
Playlist samplePlaylist(const SampleTitle& title);
psmux::VtiLayout sampleTitleSet();

// A human-readable account of the title and the files written.
std::string describeSample(const SampleTitle& title, const std::vector<WrittenFile>& files);

}  // namespace vantrel::sample
