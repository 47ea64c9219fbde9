#include "tools/make_sample/stream_encoder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

#include "tools/make_sample/encoded_stream.h"
#include "tools/make_sample/probe_list.h"
#include "tools/make_sample/tool_runner.h"
#include "tools/psmux/picture_type.h"

namespace fs = std::filesystem;

namespace vantrel::sample {

namespace {

using psmux::EsCodec;

constexpr int kSampleRate = 48000;
constexpr int kLpcmSamplesPerUnit = 80;  // one DVD LPCM audio frame, 1/600 s

struct CodecSettings {
  const char* extension;
  std::vector<std::string> arguments;  // between the input and the output
};

const CodecSettings& settingsOf(EsCodec codec) {
  static const std::map<EsCodec, CodecSettings> settings = {
      {EsCodec::Mpeg2Video,
       {"m2v",
        {"-c:v", "mpeg2video", "-b:v", "1000k", "-g", "10", "-bf", "2", "-flags", "+cgop+bitexact",
         "-sc_threshold", "1000000000", "-aspect", "4:3", "-f", "mpeg2video"}}},
      {EsCodec::H264Video,
       {"h264",
        {"-c:v", "libx264", "-preset", "medium", "-profile:v", "main", "-b:v", "400k", "-g", "12",
         "-keyint_min", "12", "-sc_threshold", "0", "-bf", "2", "-x264-params", "aud=1", "-flags",
         "+bitexact", "-f", "h264"}}},
      {EsCodec::Ac3, {"ac3", {"-c:a", "ac3", "-b:a", "192k", "-f", "ac3"}}},
      {EsCodec::Eac3, {"eac3", {"-c:a", "eac3", "-b:a", "192k", "-f", "eac3"}}},
      {EsCodec::Dts, {"dts", {"-strict", "-2", "-c:a", "dca", "-b:a", "384k", "-f", "dts"}}},
      {EsCodec::TrueHd, {"thd", {"-strict", "-2", "-c:a", "truehd", "-f", "truehd"}}},
      {EsCodec::Lpcm, {"pcm", {"-c:a", "pcm_s16be", "-f", "s16be"}}},
  };
  auto it = settings.find(codec);
  if (it == settings.end()) throw std::invalid_argument("no encoder for this codec");
  return it->second;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An encoded stream and what ffprobe says about it.
struct Encoded {
  psmux::Bytes bytes;
  std::map<std::string, std::string> probes;  // by name: "packets", "frames", "stream"
};

using ProbeList = std::map<std::string, std::vector<std::string>>;  // name -> ffprobe arguments before the file

Encoded runEncoder(const Tools& tools, const std::vector<std::string>& arguments, const std::string& out,
                   const ProbeList& probes) {
  runTool(tools.ffmpeg, concat(arguments, {out}));
  Encoded encoded;
  for (const auto& [name, probe] : probes) encoded.probes[name] = runTool(tools.ffprobe, concat(probe, {out}));
  encoded.bytes = readWholeFile(out);
  return encoded;
}

const std::string& versionOf(const std::string& program) {
  static std::mutex lock;
  static std::map<std::string, std::string> versions;
  std::lock_guard<std::mutex> hold(lock);
  auto it = versions.find(program);
  if (it == versions.end()) it = versions.emplace(program, toolVersion(program)).first;
  return it->second;
}

std::string cacheKey(const std::string& version, const std::vector<std::string>& arguments) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  auto add = [&](const std::string& text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0x1F) * 1099511628211ull;
  };
  add(version);
  for (const std::string& argument : arguments) add(argument);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", (unsigned long long)hash);
  return text;
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Cannot write file \"" + path.string() + "\".");
}

// Encodes once per argument list: the media file is renamed into place last,
// so its presence means the listings are there too. Runs of several
// processes at once may both encode; the renames leave one complete copy.
Encoded encodeStream(const EncodeSetup& setup, const std::string& name, const std::vector<std::string>& arguments,
                     const char* extension, const ProbeList& probes) {
  if (setup.cacheDir.empty()) {
    return runEncoder(setup.tools, arguments, setup.workDir + "/" + name + "." + extension, probes);
  }
  const fs::path dir(setup.cacheDir);
  const std::string key = cacheKey(versionOf(setup.tools.ffmpeg), arguments);
  const fs::path media = dir / (key + "." + extension);
  Encoded encoded;
  if (fs::exists(media)) {
    for (const auto& entry : probes) {
      const psmux::Bytes text = readWholeFile((dir / (key + "." + entry.first)).string());
      encoded.probes[entry.first].assign(text.begin(), text.end());
    }
    encoded.bytes = readWholeFile(media.string());
    return encoded;
  }
  fs::create_directories(dir);
  const std::string temporary = "." + std::to_string(::getpid()) + ".tmp";
  const fs::path work = dir / (key + temporary + "." + extension);
  encoded = runEncoder(setup.tools, arguments, work.string(), probes);
  for (const auto& [probe, text] : encoded.probes) {
    writeText(dir / (key + "." + probe + temporary), text);
    fs::rename(dir / (key + "." + probe + temporary), dir / (key + "." + probe));
  }
  fs::rename(work, media);
  return encoded;
}

std::vector<std::string> commonArguments() { return {"-nostdin", "-hide_banner", "-v", "error", "-y"}; }

}  // namespace

std::vector<psmux::AccessUnit> encodeVideo(const EncodeSetup& setup, const VideoJob& job, uint64_t firstPts) {
  const CodecSettings& settings = settingsOf(job.codec);
  auto arguments = concat(commonArguments(),
                          {"-f", "lavfi", "-i",
                           job.pattern + "=size=" + job.size + ":rate=" + std::to_string(job.rate) +
                               ":duration=" + job.duration,
                           "-threads", "1", "-pix_fmt", "yuv420p", "-fflags", "+bitexact"});
  arguments = concat(arguments, settings.arguments);
  const ProbeList probes = {
      {"packets", {"-v", "error", "-show_packets", "-show_entries", "packet=pos,size,flags", "-of", "compact"}},
      {"frames", {"-v", "error", "-show_frames", "-show_entries", "frame=pkt_pos", "-of", "compact"}},
  };
  Encoded encoded = encodeStream(setup, job.name, arguments, settings.extension, probes);
  std::vector<long long> shown;
  for (const ProbeRecord& frame : parseCompactSection(encoded.probes["frames"], "frame")) {
    auto pos = probeInteger(frame, "pkt_pos");
    if (!pos) throw std::runtime_error("ffprobe gave a picture without a position");
    shown.push_back(*pos);
  }
  auto units = videoUnits(encoded.bytes, parseCompactSection(encoded.probes["packets"], "packet"), shown,
                          frameTicks(job.rate), firstPts);
  for (psmux::AccessUnit& unit : units) {
    unit.reference = psmux::isReferencePicture(job.codec, unit.data.data(), unit.data.size());
  }
  return units;
}

namespace {

// LPCM of other channel counts and depths: a tone per channel, encoded as
// big-endian samples and laid out as on discs.
std::vector<psmux::AccessUnit> encodeLpcm(const EncodeSetup& setup, const AudioJob& job, uint64_t firstPts) {
  std::string exprs;
  for (int channel = 0; channel < job.channels; ++channel) {
    exprs += (channel ? "|" : "") + std::string("0.25*sin(2*PI*") +
             std::to_string(job.left + (job.right - job.left) * channel) + "*t)";
  }
  const bool wide = job.bits != 16;
  auto arguments = concat(commonArguments(),
                          {"-f", "lavfi", "-i",
                           "aevalsrc=exprs=" + exprs + ":sample_rate=" + std::to_string(kSampleRate) +
                               ":duration=" + job.duration,
                           "-threads", "1", "-fflags", "+bitexact", "-flags", "+bitexact", "-c:a",
                           wide ? "pcm_s24be" : "pcm_s16be", "-f", wide ? "s24be" : "s16be"});
  Encoded encoded = encodeStream(setup, job.name, arguments, "pcm", {});
  const psmux::Bytes samples = wide ? packDvdLpcm(encoded.bytes, job.channels, job.bits) : encoded.bytes;
  return lpcmUnits(samples, job.channels, kSampleRate, kLpcmSamplesPerUnit, firstPts, job.bits);
}

}  // namespace

std::vector<psmux::AccessUnit> encodeAudio(const EncodeSetup& setup, const AudioJob& job, uint64_t firstPts) {
  if (job.codec == EsCodec::Lpcm && (job.channels != 2 || job.bits != 16)) return encodeLpcm(setup, job, firstPts);
  const CodecSettings& settings = settingsOf(job.codec);
  const std::string tone = "aevalsrc=exprs=0.25*sin(2*PI*" + std::to_string(job.left) +
                           "*t)|0.25*sin(2*PI*" + std::to_string(job.right) +
                           "*t):sample_rate=" + std::to_string(kSampleRate) + ":duration=" + job.duration +
                           ":channel_layout=stereo";
  auto arguments = concat(commonArguments(), {"-f", "lavfi", "-i", tone, "-threads", "1", "-fflags", "+bitexact",
                                              "-flags", "+bitexact"});
  arguments = concat(arguments, settings.arguments);
  if (job.codec == EsCodec::Lpcm) {
    // DVD LPCM at 16 bits is plain interleaved big-endian samples.
    Encoded encoded = encodeStream(setup, job.name, arguments, settings.extension, {});
    return lpcmUnits(encoded.bytes, 2, kSampleRate, kLpcmSamplesPerUnit, firstPts);
  }
  const ProbeList probes = {
      {"stream", {"-v", "error", "-show_entries", "stream=time_base", "-of", "compact"}},
      {"packets",
       {"-v", "error", "-show_packets", "-show_entries", "packet=pos,size,duration,flags", "-of", "compact"}},
  };
  Encoded encoded = encodeStream(setup, job.name, arguments, settings.extension, probes);
  auto records = parseCompactSection(encoded.probes["stream"], "stream");
  if (records.empty() || !records[0].count("time_base")) throw std::runtime_error("no time base for " + job.name);
  auto timeBase = parseRational(records[0]["time_base"]);
  if (!timeBase) throw std::runtime_error("bad time base for " + job.name);
  return audioUnits(encoded.bytes, parseCompactSection(encoded.probes["packets"], "packet"), *timeBase, firstPts);
}

}  // namespace vantrel::sample
