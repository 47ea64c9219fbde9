#include "tools/make_sample/sample_title.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/make_sample/encoded_stream.h"
#include "tools/make_sample/probe_list.h"
#include "tools/make_sample/subtitle_art.h"
#include "tools/make_sample/tool_runner.h"
#include "tools/psmux/pack_sink.h"
#include "tools/psmux/spu_encoder.h"
#include "tools/psmux/unit_reader.h"

namespace fs = std::filesystem;

namespace vantrel::sample {

namespace {

using psmux::EsCodec;

constexpr const char* kDuration = "4.8";

// Copy-control flags that show: copy one generation, APS type 1, ICT on.
constexpr psmux::CopyControl kCopyControl{0x00, 0xE0, 0x86};

struct SampleVideo {
  const char* name;
  EsCodec codec;
  uint8_t id;
  const char* pattern;
  const char* size;
  int rate;
};

struct SampleAudio {
  const char* name;
  EsCodec codec;
  uint8_t id;
  int left;  // tone frequencies in Hz
  int right;
};

struct Caption {
  uint8_t id;
  uint64_t begin;  // after the title start, 90 kHz
  uint32_t duration;
  const char* text;
};

constexpr SampleVideo kVideo[] = {
    {"MPEG-2 video", EsCodec::Mpeg2Video, 0xE0, "testsrc2", "352x288", 25},
    {"H.264 video", EsCodec::H264Video, 0xE3, "testsrc", "352x240", 30},
};

constexpr SampleAudio kAudio[] = {
    {"AC-3 audio", EsCodec::Ac3, 0x80, 440, 660},    {"E-AC-3 audio", EsCodec::Eac3, 0xC1, 523, 784},
    {"DTS audio", EsCodec::Dts, 0x8A, 587, 880},     {"TrueHD audio", EsCodec::TrueHd, 0xB3, 659, 988},
    {"LPCM audio", EsCodec::Lpcm, 0xA4, 698, 1047},
};

constexpr Caption kCaptions[] = {
    {0x20, 18000, 90000, "SUBTITLE 1"},  {0x20, 126000, 72000, "SUBTITLE 2"},
    {0x20, 234000, 90000, "SUBTITLE 3"}, {0x20, 342000, 72000, "SUBTITLE 4"},
    {0x21, 45000, 135000, "SOUS-TITRE 1"}, {0x21, 261000, 135000, "SOUS-TITRE 2"},
};

std::vector<psmux::AccessUnit> drawCaptions(uint8_t id) {
  std::vector<psmux::AccessUnit> units;
  for (const Caption& caption : kCaptions) {
    if (caption.id == id) units.push_back(captionUnit(caption.text, kSampleStart + caption.begin, caption.duration));
  }
  return units;
}

void writeFile(const std::string& path, const psmux::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("Cannot write file \"" + path + "\".");
}

WrittenFile muxFile(const std::vector<TitleStream>& streams, const UnitLists& units, const std::string& path,
                    const psmux::MuxOptions& options, uint64_t repeats = 1, uint64_t period = 0) {
  psmux::FilePackSink sink(path);
  WrittenFile file;
  file.path = path;
  file.mux = muxTitleStreams(streams, units, options, sink, repeats, period);
  sink.close();
  file.bytes = sink.size();
  return file;
}

}  // namespace

psmux::MuxResult muxTitleStreams(const std::vector<TitleStream>& streams, const UnitLists& units,
                                 const psmux::MuxOptions& options, psmux::PackSink& sink, uint64_t repeats,
                                 uint64_t period) {
  std::vector<psmux::ListSource> sources;
  sources.reserve(units.size());
  std::vector<psmux::EsStream> muxed;
  std::vector<size_t> indices;
  for (size_t i = 0; i < units.size(); ++i) {
    if (units[i]->empty()) continue;
    sources.emplace_back(*units[i], repeats, period);
    psmux::EsStream stream;
    stream.codec = streams[i].codec;
    stream.id = streams[i].id;
    stream.lpcmFormat = streams[i].lpcmFormat;
    stream.source = &sources.back();
    muxed.push_back(stream);
    indices.push_back(i);
  }
  psmux::MuxResult result = psmux::muxProgramStream(muxed, options, sink);
  std::vector<psmux::MuxedStream> all(units.size());
  for (size_t k = 0; k < indices.size(); ++k) all[indices[k]] = std::move(result.streams[k]);
  result.streams = std::move(all);
  return result;
}

namespace {

psmux::MuxOptions fileOptions(uint16_t vobNumber, uint64_t scrStart) {
  psmux::MuxOptions options;
  options.vobNumber = vobNumber;
  options.scrStart = scrStart;
  options.copyControl = kCopyControl;
  options.advancedContentPacks = 1;
  return options;
}

const char* codecName(EsCodec codec) {
  switch (codec) {
    case EsCodec::Mpeg2Video: return "MPEG-2 video";
    case EsCodec::H264Video: return "H.264 video";
    case EsCodec::Vc1Video: return "VC-1 video";
    case EsCodec::Ac3: return "AC-3 audio";
    case EsCodec::Eac3: return "E-AC-3 audio";
    case EsCodec::Dts: return "DTS audio";
    case EsCodec::Lpcm: return "LPCM audio";
    case EsCodec::TrueHd: return "TrueHD audio";
    case EsCodec::Subpicture: return "Subpictures";
  }
  return "";
}

std::string ptsText(uint64_t pts) {
  char text[32];
  std::snprintf(text, sizeof text, "%08llX", (unsigned long long)(pts & 0xFFFFFFFFull));
  return text;
}

}  // namespace

SampleTitle makeSampleTitle(const Tools& tools, const std::string& workDir) {
  SampleTitle title;
  title.start = kSampleStart;
  title.split = kSampleStart + kSampleFileLength;
  title.end = kSampleStart + kSampleLength;
  const EncodeSetup setup{tools, workDir, ""};
  for (const SampleVideo& video : kVideo) {
    const VideoJob job{"video_" + std::to_string(video.id), video.codec, video.pattern, video.size, video.rate,
                       kDuration};
    title.streams.push_back({video.name, video.codec, video.id, 0x01, encodeVideo(setup, job, kSampleStart)});
  }
  for (const SampleAudio& audio : kAudio) {
    const AudioJob job{"audio_" + std::to_string(audio.id), audio.codec, audio.left, audio.right, kDuration};
    title.streams.push_back({audio.name, audio.codec, audio.id, 0x01, encodeAudio(setup, job, kSampleStart)});
  }
  for (uint8_t id : {uint8_t(0x20), uint8_t(0x21)}) {
    title.streams.push_back({"Subpictures", EsCodec::Subpicture, id, 0x01, drawCaptions(id)});
  }
  return title;
}

SampleTitle readTitle(const std::vector<std::string>& files) {
  if (files.empty()) throw std::invalid_argument("no files to read");
  std::vector<psmux::ReadStream> read;
  for (const std::string& file : files) psmux::appendProgramStreamUnits(read, readWholeFile(file));
  SampleTitle title;
  for (psmux::ReadStream& stream : read) {
    title.streams.push_back({codecName(stream.codec), stream.codec, stream.id,
                             stream.lpcmFormat, std::move(stream.units)});
  }
  // The title's time line is that of its first video stream (or of all streams without video).
  const TitleStream* timing = nullptr;
  for (const TitleStream& stream : title.streams) {
    if (psmux::isVideoCodec(stream.codec)) {
      timing = &stream;
      break;
    }
  }
  title.start = UINT64_MAX;
  for (const TitleStream& stream : title.streams) {
    if (timing && &stream != timing) continue;
    for (const psmux::AccessUnit& unit : stream.units) {
      title.start = std::min(title.start, unit.pts);
      title.end = std::max(title.end, unit.pts + unit.duration);
    }
  }
  if (title.start == UINT64_MAX) throw std::runtime_error("the files hold no access units");
  title.split = title.end;
  return title;
}

std::vector<std::string> titleFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (int n = 1; n <= 9; ++n) {
    fs::path file = fs::path(folder) / "HVDVD_TS" / ("FEATURE_" + std::to_string(n) + ".EVO");
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) break;
    files.push_back(file.string());
  }
  return files;
}

std::vector<WrittenFile> writeChain(const std::vector<TitleStream>& streams, const std::vector<uint64_t>& splits,
                                    const std::vector<std::string>& paths, std::vector<psmux::MuxOptions> options) {
  if (paths.size() != splits.size() + 1 || options.size() != paths.size()) {
    throw std::invalid_argument("one path and one set of options per part");
  }
  std::vector<std::vector<std::vector<psmux::AccessUnit>>> parts;  // stream, part
  for (const TitleStream& stream : streams) {
    parts.push_back(splitParts(stream.units, splits, psmux::isVideoCodec(stream.codec)));
  }
  std::vector<WrittenFile> files;
  for (size_t k = 0; k < paths.size(); ++k) {
    UnitLists lists;
    for (const auto& part : parts) lists.push_back(&part[k]);
    if (k > 0) options[k].scrStart = files.back().mux.nextScr;
    files.push_back(muxFile(streams, lists, paths[k], options[k]));
  }
  return files;
}

std::vector<WrittenFile> writeSampleDisc(const SampleTitle& title, const std::string& outDir) {
  const fs::path videoDir = fs::path(outDir) / "HVDVD_TS";
  const fs::path playlistDir = fs::path(outDir) / "ADV_OBJ";
  fs::create_directories(videoDir);
  fs::create_directories(playlistDir);

  std::vector<WrittenFile> files =
      writeChain(title.streams, {title.split},
                 {(videoDir / "FEATURE_1.EVO").string(), (videoDir / "FEATURE_2.EVO").string()},
                 {fileOptions(1, 0), fileOptions(2, 0)});

  const psmux::Bytes vti = psmux::buildVti(sampleTitleSet());
  const std::string vtiPath = (videoDir / "HVA00001.VTI").string();
  writeFile(vtiPath, vti);
  files.push_back({vtiPath, vti.size(), {}});

  const std::string xml = playlistXml(samplePlaylist(title));
  const std::string xplPath = (playlistDir / "VPLST000.XPL").string();
  writeFile(xplPath, psmux::Bytes(xml.begin(), xml.end()));
  files.push_back({xplPath, xml.size(), {}});
  return files;
}

WrittenFile writeRepeatedTitle(const SampleTitle& title, const std::string& path, uint64_t minBytes) {
  UnitLists units;
  for (const TitleStream& stream : title.streams) units.push_back(&stream.units);
  const uint64_t period = title.end - title.start;

  // Measure one round, then write enough rounds.
  psmux::CountingPackSink counter;
  muxTitleStreams(title.streams, units, fileOptions(1, 0), counter);
  const uint64_t round = counter.size();
  if (round == 0) throw std::invalid_argument("the title has no streams to repeat");
  uint64_t repeats = minBytes / round + 2;  // rounds in a row pack a little tighter than one alone

  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  for (;;) {
    WrittenFile file = muxFile(title.streams, units, path, fileOptions(1, 0), repeats, period);
    if (file.bytes >= minBytes) return file;
    repeats += (minBytes - file.bytes) / round + 1;
  }
}

Playlist samplePlaylist(const SampleTitle& title) {
  using A = PlaylistAttribute::Kind;
  using T = PlaylistTrack::Kind;
  Playlist playlist;
  playlist.displayName = "Vantrel Sample Disc";
  playlist.attributes = {
      {A::Video, 1, "MPEG-2", 0}, {A::Video, 2, "AVC", 0},     {A::Audio, 1, "AC-3", 2},
      {A::Audio, 2, "DD+", 2},    {A::Audio, 3, "DTS-HD", 2}, {A::Audio, 4, "MLP", 2},
      {A::Audio, 5, "LPCM", 2},   {A::Subpicture, 1, "2bitRLC", 0},
  };
  PlaylistTitle& t = playlist.titles.emplace_back();
  t.id = "Sample";
  t.displayName = "Sample Title";
  t.duration = title.end - title.start;
  t.clips = {{"FEATURE_1.MAP", 0, title.split - title.start, {}},
             {"FEATURE_2.MAP", title.split - title.start, title.end - title.start, {}}};
  t.tracks = {
      {T::Video, 1, 0, 1, "", ""},
      {T::Video, 2, 0, 2, "", ""},
      {T::Audio, 1, 1, 1, "Tone 440 Hz", "en"},
      {T::Audio, 2, 2, 2, "Tone 523 Hz", "en"},
      {T::Audio, 3, 3, 3, "Tone 587 Hz", "en"},
      {T::Audio, 4, 4, 4, "Tone 659 Hz", "en"},
      {T::Audio, 5, 5, 5, "Tone 698 Hz", "en"},
      {T::Subtitle, 1, 1, 1, "English", "en"},
      {T::Subtitle, 2, 2, 1, "French", "fr"},
  };
  t.chapters = {{"Chapter 1", 0}, {"Chapter 2", 108000}, {"Chapter 3", 216000}, {"Chapter 4", 324000}};
  return playlist;
}

psmux::VtiLayout sampleTitleSet() {
  using namespace psmux::vti_code;
  psmux::VtiEntry entry;
  entry.mainVideo = {kMpeg2, kAspect4x3, 0};  // 352x240(288)
  entry.subVideo = psmux::VtiVideo{kAvc, kAspect4x3, 0};
  entry.audio = {
      {kDdPlus, k48kHz, 0},  // AC-3
      {kDdPlus, k48kHz, 0},  // E-AC-3
      {kDts, k48kHz, 0},
      {kMlp, k48kHz, 0},  // TrueHD, 16 bit
      {kLpcm, k48kHz, 0},  // 16 bit
  };
  psmux::VtiLayout layout;
  layout.entries = {entry};
  layout.valueAfterTableSector = 1;  // the last sector of the file
  layout.wholeSectors = true;
  return layout;
}

std::string describeSample(const SampleTitle& title, const std::vector<WrittenFile>& files) {
  std::string text;
  char line[256];
  for (const TitleStream& stream : title.streams) {
    uint64_t bytes = 0;
    for (const auto& unit : stream.units) bytes += unit.data.size();
    uint64_t first = stream.units.empty() ? 0 : stream.units.front().pts;
    for (const auto& unit : stream.units) first = std::min(first, unit.pts);
    std::snprintf(line, sizeof line, "%-14s id %02X  %6zu units %9llu bytes  first PTS %s  %.3f s\n",
                  stream.name.c_str(), stream.id, stream.units.size(), (unsigned long long)bytes,
                  ptsText(first).c_str(), double(psmux::presentationSpan(stream.units)) / 90000.0);
    text += line;
  }
  for (const WrittenFile& file : files) {
    if (file.mux.packs) {
      std::snprintf(line, sizeof line, "%s: %llu bytes, %llu packs, %llu navigation packs, video %s-%s\n",
                    file.path.c_str(), (unsigned long long)file.bytes, (unsigned long long)file.mux.packs,
                    (unsigned long long)file.mux.navigationPacks, ptsText(file.mux.firstVideoPtm).c_str(),
                    ptsText(file.mux.lastVideoPtm).c_str());
    } else {
      std::snprintf(line, sizeof line, "%s: %llu bytes\n", file.path.c_str(), (unsigned long long)file.bytes);
    }
    text += line;
  }
  return text;
}

}  // namespace vantrel::sample
