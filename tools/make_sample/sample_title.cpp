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
constexpr int kSampleRate = 48000;
constexpr int kLpcmSamplesPerUnit = 80;  // one DVD LPCM audio frame, 1/600 s

// Copy-control flags that show: copy one generation, APS type 1, ICT on.
constexpr psmux::CopyControl kCopyControl{0x00, 0xE0, 0x86};

struct VideoJob {
  const char* name;
  EsCodec codec;
  uint8_t id;
  const char* extension;
  int rate;  // frames per second
  std::vector<std::string> encode;  // ffmpeg arguments between the input and the output
};

struct AudioJob {
  const char* name;
  EsCodec codec;
  uint8_t id;
  const char* extension;
  int left;  // tone frequencies in Hz
  int right;
  std::vector<std::string> encode;
};

struct Caption {
  uint8_t id;
  uint64_t begin;  // after the title start, 90 kHz
  uint32_t duration;
  const char* text;
};

const std::vector<VideoJob>& videoJobs() {
  static const std::vector<VideoJob> jobs = {
      {"MPEG-2 video", EsCodec::Mpeg2Video, 0xE0, "m2v", 25,
       {"-c:v", "mpeg2video", "-b:v", "1000k", "-g", "10", "-bf", "2", "-flags", "+cgop+bitexact",
        "-sc_threshold", "1000000000", "-aspect", "4:3", "-f", "mpeg2video"}},
      {"H.264 video", EsCodec::H264Video, 0xE3, "h264", 30,
       {"-c:v", "libx264", "-preset", "medium", "-profile:v", "main", "-b:v", "400k", "-g", "12",
        "-keyint_min", "12", "-sc_threshold", "0", "-bf", "2", "-x264-params", "aud=1", "-flags",
        "+bitexact", "-f", "h264"}},
  };
  return jobs;
}

const std::vector<AudioJob>& audioJobs() {
  static const std::vector<AudioJob> jobs = {
      {"AC-3 audio", EsCodec::Ac3, 0x80, "ac3", 440, 660, {"-c:a", "ac3", "-b:a", "192k", "-f", "ac3"}},
      {"E-AC-3 audio", EsCodec::Eac3, 0xC1, "eac3", 523, 784, {"-c:a", "eac3", "-b:a", "192k", "-f", "eac3"}},
      {"DTS audio", EsCodec::Dts, 0x8A, "dts", 587, 880,
       {"-strict", "-2", "-c:a", "dca", "-b:a", "384k", "-f", "dts"}},
      {"TrueHD audio", EsCodec::TrueHd, 0xB3, "thd", 659, 988,
       {"-strict", "-2", "-c:a", "truehd", "-f", "truehd"}},
      {"LPCM audio", EsCodec::Lpcm, 0xA4, "pcm", 698, 1047, {"-c:a", "pcm_s16be", "-f", "s16be"}},
  };
  return jobs;
}

const std::vector<Caption>& captions() {
  static const std::vector<Caption> list = {
      {0x20, 18000, 90000, "SUBTITLE 1"},  {0x20, 126000, 72000, "SUBTITLE 2"},
      {0x20, 234000, 90000, "SUBTITLE 3"}, {0x20, 342000, 72000, "SUBTITLE 4"},
      {0x21, 45000, 135000, "SOUS-TITRE 1"}, {0x21, 261000, 135000, "SOUS-TITRE 2"},
  };
  return list;
}

std::vector<std::string> commonFfmpegArguments() {
  return {"-nostdin", "-hide_banner", "-v", "error", "-y"};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<psmux::AccessUnit> encodeVideo(const Tools& tools, const VideoJob& job, const std::string& work) {
  const std::string out = work + "/video_" + std::to_string(job.id) + "." + job.extension;
  const std::string size = job.codec == EsCodec::Mpeg2Video ? "352x288" : "352x240";
  const std::string pattern = job.codec == EsCodec::Mpeg2Video ? "testsrc2" : "testsrc";
  auto arguments = concat(commonFfmpegArguments(),
                          {"-f", "lavfi", "-i",
                           pattern + "=size=" + size + ":rate=" + std::to_string(job.rate) +
                               ":duration=" + kDuration,
                           "-threads", "1", "-pix_fmt", "yuv420p", "-fflags", "+bitexact"});
  arguments = concat(arguments, job.encode);
  arguments.push_back(out);
  runTool(tools.ffmpeg, arguments);

  const std::string packets = runTool(
      tools.ffprobe, {"-v", "error", "-show_packets", "-show_entries", "packet=pos,size,flags", "-of",
                      "compact", out});
  const std::string frames = runTool(
      tools.ffprobe, {"-v", "error", "-show_frames", "-show_entries", "frame=pkt_pos",
                      "-of", "compact", out});
  std::vector<long long> shown;
  for (const ProbeRecord& frame : parseCompactSection(frames, "frame")) {
    auto pos = probeInteger(frame, "pkt_pos");
    if (!pos) throw std::runtime_error("ffprobe gave a picture without a position");
    shown.push_back(*pos);
  }
  return videoUnits(readWholeFile(out), parseCompactSection(packets, "packet"), shown,
                    uint32_t(90000 / job.rate), kSampleStart);
}

std::vector<psmux::AccessUnit> encodeAudio(const Tools& tools, const AudioJob& job, const std::string& work) {
  const std::string out = work + "/audio_" + std::to_string(job.id) + "." + job.extension;
  const std::string tone = "aevalsrc=exprs=0.25*sin(2*PI*" + std::to_string(job.left) +
                           "*t)|0.25*sin(2*PI*" + std::to_string(job.right) +
                           "*t):sample_rate=" + std::to_string(kSampleRate) + ":duration=" + kDuration +
                           ":channel_layout=stereo";
  auto arguments = concat(commonFfmpegArguments(),
                          {"-f", "lavfi", "-i", tone, "-threads", "1", "-fflags", "+bitexact", "-flags",
                           "+bitexact"});
  arguments = concat(arguments, job.encode);
  arguments.push_back(out);
  runTool(tools.ffmpeg, arguments);

  if (job.codec == EsCodec::Lpcm) {
    // DVD LPCM at 16 bits is plain interleaved big-endian samples.
    return lpcmUnits(readWholeFile(out), 2, kSampleRate, kLpcmSamplesPerUnit, kSampleStart);
  }
  const std::string stream = runTool(
      tools.ffprobe, {"-v", "error", "-show_entries", "stream=time_base", "-of", "compact", out});
  auto records = parseCompactSection(stream, "stream");
  if (records.empty() || !records[0].count("time_base")) throw std::runtime_error("no time base for " + out);
  auto timeBase = parseRational(records[0]["time_base"]);
  if (!timeBase) throw std::runtime_error("bad time base for " + out);
  const std::string packets = runTool(
      tools.ffprobe, {"-v", "error", "-show_packets", "-show_entries", "packet=pos,size,duration,flags",
                      "-of", "compact", out});
  return audioUnits(readWholeFile(out), parseCompactSection(packets, "packet"), *timeBase, kSampleStart);
}

std::vector<psmux::AccessUnit> drawCaptions(uint8_t id) {
  std::vector<psmux::AccessUnit> units;
  for (const Caption& caption : captions()) {
    if (caption.id != id) continue;
    psmux::SubpictureBitmap bitmap = renderCaption(caption.text);
    psmux::SubpictureDisplay display;
    display.x = (352 - bitmap.width) / 2;
    display.y = 200 - bitmap.height;
    display.duration = caption.duration;
    display.colors = {0, 15, 1, 0};  // transparent, white text, black outline
    display.contrast = {0, 15, 15, 0};
    psmux::AccessUnit unit;
    unit.data = psmux::encodeSubpictureUnit(bitmap, display);
    unit.pts = kSampleStart + caption.begin;
    unit.duration = caption.duration;
    unit.randomAccess = true;
    units.push_back(std::move(unit));
  }
  return units;
}

void writeFile(const std::string& path, const psmux::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("Cannot write file \"" + path + "\".");
}

using UnitLists = std::vector<const std::vector<psmux::AccessUnit>*>;

psmux::MuxResult mux(const SampleTitle& title, const UnitLists& units, const psmux::MuxOptions& options,
                     psmux::PackSink& sink, uint64_t repeats = 1, uint64_t period = 0) {
  std::vector<psmux::ListSource> sources;
  sources.reserve(units.size());
  std::vector<psmux::AccessUnitSource*> pointers;
  for (const auto* list : units) {
    sources.emplace_back(*list, repeats, period);
    pointers.push_back(&sources.back());
  }
  return psmux::muxProgramStream(esStreams(title, pointers), options, sink);
}

WrittenFile muxFile(const SampleTitle& title, const UnitLists& units, const std::string& path,
                    const psmux::MuxOptions& options, uint64_t repeats = 1, uint64_t period = 0) {
  psmux::FilePackSink sink(path);
  WrittenFile file;
  file.path = path;
  file.mux = mux(title, units, options, sink, repeats, period);
  sink.close();
  file.bytes = sink.size();
  return file;
}

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
  for (const VideoJob& job : videoJobs()) {
    title.streams.push_back({job.name, job.codec, job.id, 0x01, encodeVideo(tools, job, workDir)});
  }
  for (const AudioJob& job : audioJobs()) {
    title.streams.push_back({job.name, job.codec, job.id, 0x01, encodeAudio(tools, job, workDir)});
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
    if (stream.codec == EsCodec::Mpeg2Video || stream.codec == EsCodec::H264Video ||
        stream.codec == EsCodec::Vc1Video) {
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

std::vector<psmux::EsStream> esStreams(const SampleTitle& title,
                                       const std::vector<psmux::AccessUnitSource*>& sources) {
  if (sources.size() != title.streams.size()) throw std::invalid_argument("one source per stream");
  std::vector<psmux::EsStream> streams;
  for (size_t i = 0; i < sources.size(); ++i) {
    psmux::EsStream stream;
    stream.codec = title.streams[i].codec;
    stream.id = title.streams[i].id;
    stream.lpcmFormat = title.streams[i].lpcmFormat;
    stream.source = sources[i];
    streams.push_back(stream);
  }
  return streams;
}

std::vector<WrittenFile> writeSampleDisc(const SampleTitle& title, const std::string& outDir) {
  const fs::path videoDir = fs::path(outDir) / "HVDVD_TS";
  const fs::path playlistDir = fs::path(outDir) / "ADV_OBJ";
  fs::create_directories(videoDir);
  fs::create_directories(playlistDir);

  std::vector<SplitUnits> parts;
  parts.reserve(title.streams.size());
  UnitLists first, second;
  for (const TitleStream& stream : title.streams) {
    bool video = stream.codec == EsCodec::Mpeg2Video || stream.codec == EsCodec::H264Video ||
                 stream.codec == EsCodec::Vc1Video;
    parts.push_back(splitUnits(stream.units, title.split, video));
    first.push_back(&parts.back().before);
    second.push_back(&parts.back().after);
  }
  std::vector<WrittenFile> files;
  files.push_back(muxFile(title, first, (videoDir / "FEATURE_1.EVO").string(), fileOptions(1, 0)));
  files.push_back(muxFile(title, second, (videoDir / "FEATURE_2.EVO").string(),
                          fileOptions(2, files[0].mux.nextScr)));

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
  mux(title, units, fileOptions(1, 0), counter);
  const uint64_t round = counter.size();
  if (round == 0) throw std::invalid_argument("the title has no streams to repeat");
  uint64_t repeats = minBytes / round + 2;  // rounds in a row pack a little tighter than one alone

  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  for (;;) {
    WrittenFile file = muxFile(title, units, path, fileOptions(1, 0), repeats, period);
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
  PlaylistTitle& t = playlist.title;
  t.id = "Sample";
  t.displayName = "Sample Title";
  t.duration = title.end - title.start;
  t.clips = {{"FEATURE_1.MAP", 0, title.split - title.start},
             {"FEATURE_2.MAP", title.split - title.start, title.end - title.start}};
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
