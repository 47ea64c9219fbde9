#include "tools/make_sample/disc_title.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "tools/make_sample/encoded_stream.h"
#include "tools/make_sample/playlist_file.h"
#include "tools/make_sample/sample_title.h"
#include "tools/make_sample/subtitle_art.h"
#include "tools/make_sample/tool_runner.h"
#include "tools/make_sample/vc1_stream.h"
#include "tools/psmux/angle_block.h"
#include "tools/psmux/pack_sink.h"
#include "tools/psmux/vti_builder.h"

namespace fs = std::filesystem;

namespace vantrel::sample {

namespace {

using psmux::EsCodec;

constexpr uint8_t kAdvancedSlot = 1;
constexpr const char* kAdvancedName = "mainApp.aca";
constexpr uint64_t kCaptionEvery = 45000;  // a subpicture unit every 0.5 s, shown 0.4 s
constexpr uint32_t kCaptionShown = 36000;

const char* const kPatterns[] = {"testsrc", "testsrc2", "smptebars", "rgbtestsrc", "smptehdbars", "yuvtestsrc"};

int64_t ticks(double seconds) { return int64_t(std::llround(seconds * 90000)); }

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

bool isAudio(EsCodec codec) { return !psmux::isVideoCodec(codec) && codec != EsCodec::Subpicture; }

struct Attribute {
  PlaylistAttribute::Kind kind;
  const char* codec;
};

Attribute attributeOf(EsCodec codec) {
  using K = PlaylistAttribute::Kind;
  switch (codec) {
    case EsCodec::Mpeg2Video: return {K::Video, "MPEG-2"};
    case EsCodec::H264Video: return {K::Video, "AVC"};
    case EsCodec::Vc1Video: return {K::Video, "VC-1"};
    case EsCodec::Ac3: return {K::Audio, "AC-3"};
    case EsCodec::Eac3: return {K::Audio, "DD+"};
    case EsCodec::Dts: return {K::Audio, "DTS-HD"};
    case EsCodec::TrueHd: return {K::Audio, "MLP"};
    case EsCodec::Lpcm: return {K::Audio, "LPCM"};
    case EsCodec::Subpicture: return {K::Subpicture, "2bitRLC"};
  }
  throw std::invalid_argument("unknown codec");
}

int vtiVideoCode(EsCodec codec) {
  return codec == EsCodec::Mpeg2Video ? psmux::vti_code::kMpeg2
         : codec == EsCodec::H264Video ? psmux::vti_code::kAvc
                                        : psmux::vti_code::kVc1;
}

int vtiAudioCode(EsCodec codec) {
  using namespace psmux::vti_code;
  switch (codec) {
    case EsCodec::Ac3: return kAc3Interop;
    case EsCodec::Dts: return kDts;
    case EsCodec::TrueHd: return kMlp;
    case EsCodec::Lpcm: return kLpcm;
    default: return kDdPlus;
  }
}

// A file that fills three ADV_PCKs: the archive magic, its size at 14, filler.
psmux::Bytes advancedData() {
  psmux::Bytes data(5000);
  const std::string magic = "HDDVDACA";
  std::copy(magic.begin(), magic.end(), data.begin());
  for (size_t i = 16; i < data.size(); ++i) data[i] = uint8_t(i * 7 + 3);
  psmux::set32(data, 14, uint32_t(data.size()));
  return data;
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Cannot write file \"" + path.string() + "\".");
}

// Builds every title in turn, numbering the EVOBs of the disc from 1.
class DiscWriter {
 public:
  DiscWriter(const DiscLayout& layout, const std::string& folder)
      : layout_(layout), work_(layout.encoding.workDir), video_(fs::path(folder) / "HVDVD_TS"),
        objects_(fs::path(folder) / "ADV_OBJ") {
    setup_ = layout.encoding;
    setup_.workDir = work_.path();
    disc_.folder = folder;
    playlist_.displayName = "Vantrel Test Disc";
    playlist_.discClock = true;
  }

  DiscContent write() {
    fs::create_directories(video_);
    fs::create_directories(objects_);
    for (const DiscTitle& title : layout_.titles) {
      if (title.advancedPacks && disc_.advancedFile.empty()) {
        disc_.advancedData = advancedData();
        disc_.advancedFile = (objects_ / kAdvancedName).string();
        writeFile(disc_.advancedFile, std::string(disc_.advancedData.begin(), disc_.advancedData.end()));
      }
      writeTitle(title);
    }
    disc_.titleSet = (video_ / "HVA00001.VTI").string();
    const psmux::Bytes vti = psmux::buildVti(vti_);
    writeFile(disc_.titleSet, std::string(vti.begin(), vti.end()));
    disc_.playlist = (objects_ / "VPLST000.XPL").string();
    writeFile(disc_.playlist, playlistXml(playlist_));
    return std::move(disc_);
  }

 private:
  // The units of one stream; angle 0 outside angle blocks. Every stream of
  // a title, and every angle's copy of it, gets a picture or tone of its own.
  std::vector<psmux::AccessUnit> unitsOf(const DiscTitle& title, size_t index, int angle) const {
    const DiscStream& stream = title.streams[index];
    const double from = stream.start;
    const double to = stream.end > 0 ? stream.end : title.duration;
    if (to <= from) throw std::invalid_argument("a stream that ends before it starts");
    if (int64_t(title.startPts) + ticks(from) < 0) throw std::invalid_argument("a stream that starts before PTS 0");
    const uint64_t first = uint64_t(int64_t(title.startPts) + ticks(from));
    const uint64_t last = uint64_t(int64_t(title.startPts) + ticks(to));
    const std::string name = title.name + "_" + std::to_string(index) + "_" + std::to_string(angle);
    const size_t variant = index + size_t(angle);
    switch (stream.codec) {
      case EsCodec::Vc1Video: {
        const double groups = std::ceil((to - from) * 30000 / 1001 / double(kVc1GroupLength) - 1e-9);
        return vc1Units(size_t(groups), first, uint32_t(variant + 1));
      }
      case EsCodec::Mpeg2Video:
        return encodeVideo(setup_, {name, stream.codec, kPatterns[variant % 6], "352x288", 25, secondsText(to - from)},
                           first);
      case EsCodec::H264Video:
        return encodeVideo(setup_, {name, stream.codec, kPatterns[variant % 6], "352x240", 30, secondsText(to - from)},
                           first);
      case EsCodec::Subpicture: {
        std::string language = stream.language;
        for (char& c : language) c = char(std::toupper(static_cast<unsigned char>(c)));
        std::vector<psmux::AccessUnit> units;
        for (uint64_t at = first, n = 1; at < last; at += kCaptionEvery, ++n) {
          const std::string text =
              language + (angle > 0 ? " " + std::to_string(angle) : std::string()) + " " + std::to_string(n);
          units.push_back(captionUnit(text, at, kCaptionShown));
        }
        return units;
      }
      default: {
        const int left = 220 + 30 * int(index) + 400 * angle;
        return encodeAudio(setup_,
                           {name, stream.codec, left, left * 3 / 2, secondsText(to - from), stream.channels, stream.bits},
                           first);
      }
    }
  }

  std::vector<TitleStream> streamsOf(const DiscTitle& title, int angle) const {
    std::vector<TitleStream> streams;
    for (size_t i = 0; i < title.streams.size(); ++i) {
      const DiscStream& stream = title.streams[i];
      // LPCM's header: quantization (16, 20, 24 bits), 48 kHz, channels - 1.
      const uint8_t lpcmFormat = uint8_t((stream.bits - 16) / 4 << 6 | (stream.channels - 1));
      streams.push_back({attributeOf(stream.codec).codec, stream.codec, stream.id, lpcmFormat, unitsOf(title, i, angle)});
    }
    return streams;
  }

  psmux::MuxOptions optionsFor(const DiscTitle& title, bool first) {
    psmux::MuxOptions options;
    options.vobNumber = nextVob_++;
    options.discNavigation = true;
    options.recordPacks = true;
    if (first && title.advancedPacks) {
      options.advancedStreamPackets = psmux::advancedStreamPackets(kAdvancedSlot, kAdvancedName, disc_.advancedData);
    }
    return options;
  }

  // What one EVOB holds: the parts of the streams muxed into it.
  static DiscEvob evobOf(const std::vector<TitleStream>& streams,
                         const std::vector<const std::vector<psmux::AccessUnit>*>& parts,
                         const psmux::MuxResult& mux, const std::string& file, uint16_t vobNumber, int angle) {
    DiscEvob evob;
    evob.file = file;
    evob.vobNumber = vobNumber;
    evob.angle = angle;
    evob.packs = mux.packs;
    for (size_t i = 0; i < streams.size(); ++i) {
      if (parts[i]->empty()) continue;
      DiscStreamContent content;
      content.codec = streams[i].codec;
      content.id = streams[i].id;
      for (const psmux::AccessUnit& unit : *parts[i]) {
        content.bytes.insert(content.bytes.end(), unit.data.begin(), unit.data.end());
      }
      content.units = parts[i]->size();
      content.firstPts = parts[i]->front().pts;
      content.packs = mux.streams[i].packNumbers;
      evob.streams.push_back(std::move(content));
    }
    return evob;
  }

  // continues: the EVOB follows the one before it seamlessly (a later file of a chain).
  void addEvobInfo(const DiscEvob& evob, const psmux::MuxResult& mux, bool continues) {
    psmux::VtiEvob info;
    info.fileName = fs::path(evob.file).filename().string();
    info.attribute = uint32_t(vti_.entries.size());
    info.startPtm = mux.firstVideoPtm;
    info.endPtm = mux.lastVideoPtm;
    info.packs = uint32_t(evob.packs);
    info.index = evob.vobNumber;
    info.firstScr = continues ? uint32_t(mux.firstScr) : 0;
    vti_.evobs.push_back(info);
  }

  void writeChainTitle(const DiscTitle& title, DiscTitleContent& content) {
    const std::vector<TitleStream> streams = streamsOf(title, 0);
    std::vector<uint64_t> splits;
    for (double split : title.splits) splits.push_back(title.startPts + uint64_t(ticks(split)));
    std::vector<std::string> paths;
    std::vector<psmux::MuxOptions> options;
    for (size_t k = 0; k <= splits.size(); ++k) {
      paths.push_back((video_ / (title.name + "_" + std::to_string(k + 1) + ".EVO")).string());
      options.push_back(optionsFor(title, k == 0));
    }
    content.end = title.startPts + psmux::presentationSpan(streams[0].units);
    const std::vector<WrittenFile> files = writeChain(streams, splits, paths, options);
    std::vector<std::vector<std::vector<psmux::AccessUnit>>> parts;  // stream, part: as writeChain cut them
    for (const TitleStream& stream : streams) {
      parts.push_back(splitParts(stream.units, splits, psmux::isVideoCodec(stream.codec)));
    }
    for (size_t k = 0; k < files.size(); ++k) {
      std::vector<const std::vector<psmux::AccessUnit>*> part;
      for (const auto& stream : parts) part.push_back(&stream[k]);
      content.files.push_back(paths[k]);
      content.evobs.push_back(evobOf(streams, part, files[k].mux, paths[k], options[k].vobNumber, 0));
      addEvobInfo(content.evobs.back(), files[k].mux, k > 0);
      if (k > 0) content.chapters.push_back(parts[0][k].front().pts - content.start);  // where the file begins
    }
  }

  void writeAngleBlock(const DiscTitle& title, DiscTitleContent& content) {
    const std::string path = (video_ / (title.name + ".EVO")).string();
    std::vector<std::vector<TitleStream>> streams;
    std::vector<psmux::MemoryPackSink> sinks(size_t(title.angles));
    std::vector<psmux::MuxResult> results;
    std::vector<uint16_t> numbers;
    std::vector<psmux::AngleEvob> angles;
    for (int a = 1; a <= title.angles; ++a) {
      streams.push_back(streamsOf(title, a));
      if (a == 1) content.end = title.startPts + psmux::presentationSpan(streams.back()[0].units);
      UnitLists lists;
      for (const TitleStream& stream : streams.back()) lists.push_back(&stream.units);
      const psmux::MuxOptions options = optionsFor(title, a == 1);
      numbers.push_back(options.vobNumber);
      results.push_back(muxTitleStreams(streams.back(), lists, options, sinks[size_t(a - 1)]));
      angles.push_back({&sinks[size_t(a - 1)].bytes(), results.back().unitStarts});
    }
    psmux::FilePackSink sink(path);
    const auto placed = psmux::interleaveAngles(angles, size_t(title.unitsPerIlvu), sink);
    sink.close();
    content.files.push_back(path);
    for (size_t a = 0; a < angles.size(); ++a) {
      UnitLists lists;
      for (const TitleStream& stream : streams[a]) lists.push_back(&stream.units);
      content.evobs.push_back(evobOf(streams[a], lists, results[a], path, numbers[a], int(a + 1)));
      for (DiscStreamContent& stream : content.evobs.back().streams) {
        for (uint64_t& pack : stream.packs) pack = placed[a][pack];
      }
      addEvobInfo(content.evobs.back(), results[a], false);
    }
  }

  void writeTitle(const DiscTitle& title) {
    if (title.streams.empty() || !psmux::isVideoCodec(title.streams.front().codec)) {
      throw std::invalid_argument("a title needs its video as the first stream");
    }
    if (title.angles > 1 && !title.splits.empty()) throw std::invalid_argument("an angle block is one file");
    const DiscStream& video = title.streams.front();
    psmux::VtiEntry entry;
    entry.mainVideo = {vtiVideoCode(video.codec), psmux::vti_code::kAspect4x3,
                       video.codec == EsCodec::Vc1Video ? psmux::vti_code::kRes1920x1080 : 0};
    for (const DiscStream& stream : title.streams) {
      if (isAudio(stream.codec) && entry.audio.size() < 8) entry.audio.push_back({vtiAudioCode(stream.codec), 0, 0});
    }
    vti_.entries.push_back(entry);

    DiscTitleContent content;
    content.name = title.name;
    content.start = title.startPts;  // the first picture shown
    content.chapters.push_back(0);
    if (title.angles > 1) {
      writeAngleBlock(title, content);
    } else {
      writeChainTitle(title, content);
    }
    if (!title.chapters.empty()) {
      content.chapters.clear();
      for (double at : title.chapters) content.chapters.push_back(uint64_t(ticks(at)));
    }
    addPlaylistTitle(title, content);
    disc_.titles.push_back(std::move(content));
  }

  int mediaAttribute(EsCodec codec) {
    const Attribute attribute = attributeOf(codec);
    int index = 0;
    for (const PlaylistAttribute& item : playlist_.attributes) {
      if (item.kind != attribute.kind) continue;
      index = std::max(index, item.index);
      if (item.codec == attribute.codec) return item.index;
    }
    playlist_.attributes.push_back({attribute.kind, index + 1, attribute.codec,
                                    attribute.kind == PlaylistAttribute::Kind::Audio ? 2 : 0});
    std::stable_sort(playlist_.attributes.begin(), playlist_.attributes.end(),
                     [](const PlaylistAttribute& a, const PlaylistAttribute& b) { return a.kind < b.kind; });
    return index + 1;
  }

  void addPlaylistTitle(const DiscTitle& title, const DiscTitleContent& content) {
    using Kind = PlaylistTrack::Kind;
    PlaylistTitle& entry = playlist_.titles.emplace_back();
    entry.id = title.name;
    entry.displayName = title.displayName;
    entry.duration = content.end - content.start;
    if (title.angles > 1) {
      entry.clips.push_back({title.name + ".MAP", 0, entry.duration, {}});
    } else {
      for (size_t k = 0; k < content.files.size(); ++k) {
        const uint64_t begin = k == 0 ? 0 : content.evobs[k].streams.front().firstPts - content.start;
        entry.clips.push_back({title.name + "_" + std::to_string(k + 1) + ".MAP", begin, entry.duration, {}});
        if (k > 0) entry.clips[k - 1].end = begin;
      }
    }
    int audio = 0, subtitles = 0;
    std::vector<const DiscStream*> trackStreams;  // the stream of each track
    for (const DiscStream& stream : title.streams) {
      PlaylistTrack track;
      track.mediaAttr = mediaAttribute(stream.codec);
      track.description = stream.description;
      track.language = stream.language;
      track.languageExtension = stream.languageExtension;
      if (psmux::isVideoCodec(stream.codec)) {
        track.kind = Kind::Video;
        track.description.clear();
        track.language.clear();
        for (int a = 1; a <= title.angles; ++a) {
          track.track = a;
          track.angle = title.angles > 1 ? a : 0;
          entry.tracks.push_back(track);
          trackStreams.push_back(&stream);
        }
        continue;
      }
      track.kind = isAudio(stream.codec) ? Kind::Audio : Kind::Subtitle;
      track.track = isAudio(stream.codec) ? ++audio : ++subtitles;
      track.streamNumber = (isAudio(stream.codec) ? stream.id & 7 : stream.id & 0x1F) + 1;
      entry.tracks.push_back(track);
      trackStreams.push_back(&stream);
    }
    // A file's clip lists the streams that file holds.
    for (size_t k = 0; title.angles <= 1 && k < entry.clips.size(); ++k) {
      for (size_t t = 0; t < entry.tracks.size(); ++t) {
        if (content.evobs[k].find(trackStreams[t]->codec, trackStreams[t]->id)) {
          entry.clips[k].tracks.push_back(entry.tracks[t]);
        }
      }
    }
    for (size_t i = 0; i < content.chapters.size(); ++i) {
      entry.chapters.push_back({"Chapter " + std::to_string(i + 1), content.chapters[i]});
    }
  }

  const DiscLayout& layout_;
  WorkFolder work_;
  EncodeSetup setup_;
  fs::path video_;
  fs::path objects_;
  DiscContent disc_;
  Playlist playlist_;
  psmux::VtiLayout vti_;
  uint16_t nextVob_ = 1;
};

}  // namespace

const DiscStreamContent* DiscEvob::find(psmux::EsCodec codec, uint8_t id) const {
  for (const DiscStreamContent& stream : streams) {
    if (stream.codec == codec && stream.id == id) return &stream;
  }
  return nullptr;
}

psmux::Bytes DiscTitleContent::bytesOf(psmux::EsCodec codec, uint8_t id, int angle) const {
  psmux::Bytes bytes;
  for (const DiscEvob& evob : evobs) {
    const DiscStreamContent* stream = evob.angle == angle ? evob.find(codec, id) : nullptr;
    if (stream) bytes.insert(bytes.end(), stream->bytes.begin(), stream->bytes.end());
  }
  return bytes;
}

DiscContent writeDisc(const DiscLayout& layout, const std::string& folder) { return DiscWriter(layout, folder).write(); }

DiscTitle featureTitle() {
  DiscTitle title;
  title.splits = {0.8};
  title.advancedPacks = true;
  title.streams = {
      {EsCodec::H264Video, 0xE2},
      {EsCodec::Eac3, 0xC0, "English", "en"},
      {EsCodec::TrueHd, 0xB1, "English lossless", "en"},
      {EsCodec::Dts, 0x8A, "French", "fr"},
      {EsCodec::Ac3, 0x83, "Commentary", "en", "03", 0, 0.8},
      {EsCodec::Lpcm, 0xA4, "Japanese PCM", "ja"},
      {EsCodec::Subpicture, 0x20, "English", "en"},
      {EsCodec::Subpicture, 0x21, "French forced", "fr", "09", 1.2},
  };
  return title;
}

DiscTitle angleTitle(int angles) {
  DiscTitle title;
  title.name = "ANGLES";
  title.displayName = "Angles";
  title.angles = angles;
  title.streams = {{EsCodec::H264Video, 0xE2}, {EsCodec::Ac3, 0x80, "English", "en"}};
  return title;
}

}  // namespace vantrel::sample
