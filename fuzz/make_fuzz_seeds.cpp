// Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/) from
// the program-stream builder and from short elementary streams that
// tools/scripts/make_fuzz_seeds.sh encodes with ffmpeg. Each seed starts with
// the parameter bytes its target takes off the front (see fuzz_*.cpp).
//
//   make_fuzz_seeds ES_FOLDER CORPUS_FOLDER [SAMPLES_FOLDER]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/analyzers/bit_writer.h"
#include "tools/psmux/ps_builder.h"

namespace fs = std::filesystem;
using namespace vantrel::psmux;

namespace {

// The first bytes of an encoded stream; empty when it was not made.
Bytes elementary(const fs::path& folder, const std::string& name, size_t keep) {
  std::ifstream in(folder / name, std::ios::binary);
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > keep) bytes.resize(keep);
  return bytes;
}

// An Advanced-profile VC-1 sequence header (SMPTE 421M 6.1), 1920x1080 at
// 24000/1001 frames per second; ffmpeg cannot encode VC-1.
Bytes vc1SequenceHeader() {
  vantrel::testing::BitWriter w;
  w.bytes({0x00, 0x00, 0x01, 0x0F});
  w.put(2, 3).put(3, 3).put(2, 1).put(3, 7).put(5, 31).flag(true);
  w.put(12, 959).put(12, 539);
  w.flag(false).flag(false).flag(true).flag(false).flag(false).flag(false).flag(true);
  w.put(14, 1919).put(14, 1079).flag(true).put(4, 1);
  w.flag(true).flag(false).put(8, 1).put(4, 2);
  w.flag(true).put(24, 0x010101).flag(false).trailingBits();
  Bytes out = w.data();
  append(out, {0x00, 0x00, 0x01, 0x0E, 0x12, 0x00, 0x00, 0x01, 0x0D, 0x40});
  return out;
}

void save(const fs::path& folder, const std::string& name, const Bytes& prefix, const Bytes& body) {
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(prefix.data()), std::streamsize(prefix.size()));
  out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
}

Pes pesOf(uint8_t streamId, const Bytes& head, const Bytes& data, size_t keep, uint64_t pts) {
  Pes p;
  p.streamId = streamId;
  p.pts = pts;
  p.payload = head;
  append(p.payload, Bytes(data.begin(), data.begin() + long(std::min(keep, data.size()))));
  return p;
}

struct Streams {
  Bytes mpeg2, h264, vc1, ac3, eac3, dts, truehd, mlp, lpcm;
};

// A compact title: a navigation pack, a copy-control packet, then one pack
// header and one short PES packet per stream (no padding, to keep it small).
// Two video streams fit the two slots: MPEG-2 or VC-1 first, H.264 second.
Bytes compactTitle(const Streams& s, Layout layout, bool dvdAudio, bool vc1 = false) {
  Bytes title;
  Navigation nav;
  nav.firstVideoPtm = 90000;
  nav.lastVideoPtm = 90000 + 90000 * 60;
  nav.audioSync = {1, 1, 1, 0, 0, 0, 0, 0};
  nav.subpictureSync[0] = 1;
  nav.audioBound = 3;
  append(title, navigationPack(0, nav, layout));
  uint64_t scr = 1;
  auto add = [&](const Pes& p) {
    append(title, packHeader(scr++, layout));
    append(title, pesPacket(p));
  };
  append(title, packHeader(scr++, layout));
  append(title, copyControlPacket({0x00, 0xF0, 0x5F}));
  const uint64_t t = 90000;
  if (dvdAudio) {
    add(pesOf(0xBD, lpcmSubstreamHeader(0xA1, 0, 0, 0), s.mlp, 400, t));
    add(pesOf(0xBD, lpcmSubstreamHeader(0xA0, 0, 0x20, 0x80), s.lpcm, 200, t));
    return title;
  }
  if (vc1) {
    Pes p = pesOf(0xFD, {}, s.vc1, 200, t);
    p.streamIdExtension = 0x55;
    p.pstdBuffer = true;
    add(p);
  } else {
    add(pesOf(0xE0, {}, s.mpeg2, 500, t));
  }
  add(pesOf(0xE3, {}, s.h264, 500, t));
  add(pesOf(0xBD, audioSubstreamHeader(0x80), s.ac3, 300, t));
  add(pesOf(0xBD, audioSubstreamHeader(0x89), s.dts, 300, t + 3000));
  add(pesOf(0xBD, audioSubstreamHeader(0xC2), s.eac3, 300, t));
  add(pesOf(0xBD, trueHdSubstreamHeader(0xB3), s.truehd, 300, t));
  add(pesOf(0xBD, lpcmSubstreamHeader(0xA4, 0, 0x10, 0x80), s.lpcm, 200, t));
  add(pesOf(0xBD, subpictureSubstreamHeader(0x20), {0x00, 0x40, 0x00, 0x10, 1, 2, 3, 4}, 64, t));
  add(pesOf(0xBD, subpictureSubstreamHeader(0x61), {0x00, 0x00, 0x00, 0x10, 5, 6}, 64, t));
  Pes continuation = pesOf(0xBD, subpictureSubstreamHeader(0x20), {7, 8, 9}, 64, 0);
  continuation.pts.reset();
  add(continuation);
  add(pesOf(0xC0, {}, {0xFF, 0xFD, 0x90, 0x00}, 4, t));
  return title;
}

// A title of whole HD DVD packs, as Rebuild reads them.
Bytes packTitle(const Streams& s) {
  Bytes title;
  Navigation nav;
  nav.firstVideoPtm = 90000;
  nav.lastVideoPtm = 900000;
  nav.audioSync = {1, 1, 0, 0, 0, 0, 0, 0};
  nav.subpictureSync[0] = 1;
  nav.audioBound = 2;
  append(title, navigationPack(0, nav));
  append(title, packWithPes(1, pesOf(0xE0, {}, s.mpeg2, 600, 90000)));
  Pes vc1 = pesOf(0xFD, {}, s.vc1, 100, 90000);
  vc1.streamIdExtension = 0x56;
  append(title, packWithPes(2, vc1));
  append(title, packWithPes(3, pesOf(0xBD, audioSubstreamHeader(0x80), s.ac3, 300, 90000)));
  append(title, packWithPes(4, pesOf(0xBD, audioSubstreamHeader(0x81), s.ac3, 300, 90000)));
  append(title, packWithPes(5, pesOf(0xBD, subpictureSubstreamHeader(0x20), {0, 1, 2}, 3, 90000)));
  append(title, advancedContentPack(6));
  return title;
}

Bytes text(const char* t) {
  return Bytes(t, t + std::strlen(t));
}

// The navigation pack and the first pack of every stream of a title, in
// file order: each stream's codec header in a few kilobytes.
Bytes firstPackOfEachStream(const Bytes& title) {
  Bytes kept;
  std::vector<int> seen;
  for (size_t at = 0; at + kPackSize <= title.size(); at += kPackSize) {
    const uint8_t* p = title.data() + at;
    const uint8_t id = p[17];
    int key = id;
    if (id == 0xBD) key = 0x100 | p[23 + p[22]];  // the substream id after the PES header
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    append(kept, Bytes(p, p + kPackSize));
  }
  return kept;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_fuzz_seeds ES_FOLDER CORPUS_FOLDER [SAMPLES_FOLDER]\n");
    return 2;
  }
  const fs::path es = argv[1];
  const fs::path corpus = argv[2];
  Streams s;
  s.mpeg2 = elementary(es, "video.m2v", 1500);
  s.h264 = elementary(es, "video.h264", 1500);
  s.vc1 = vc1SequenceHeader();
  s.ac3 = elementary(es, "audio.ac3", 800);
  s.eac3 = elementary(es, "audio.eac3", 800);
  s.dts = elementary(es, "audio.dts", 800);
  s.truehd = elementary(es, "audio.thd", 800);
  s.mlp = elementary(es, "audio.mlp", 800);
  s.lpcm = elementary(es, "audio.pcm", 400);

  // Analyzers: which analyzer, payload position and length, the LPCM bytes.
  const Bytes lpcmHeader = {0xA0, 0x01, 0x00, 0x04, 0x00, 0x10, 0x80};
  const std::map<std::string, std::pair<uint8_t, const Bytes*>> analyzed = {
      {"mpeg2", {0, &s.mpeg2}},   {"vc1", {1, &s.vc1}},   {"h264", {2, &s.h264}},
      {"ac3", {3, &s.ac3}},       {"eac3", {3, &s.eac3}}, {"dts", {4, &s.dts}},
      {"truehd", {5, &s.truehd}}, {"mlp", {5, &s.mlp}},   {"lpcm", {6, &s.lpcm}}};
  for (const auto& [name, entry] : analyzed) {
    if (entry.second->empty()) continue;
    Bytes prefix = {entry.first, 0x00, 0x00, 0xFF, 0xFF};
    append(prefix, lpcmHeader);
    save(corpus / "analyzers", name, prefix, *entry.second);
  }

  // Engine: flags (details, frame count, file kind, demux, first PTS,
  // everything ticked), the chunk size, the ticked boxes.
  const Bytes hd = compactTitle(s, Layout::HdDvd, false);
  const Bytes dvd = compactTitle(s, Layout::Dvd, false);
  const Bytes aob = compactTitle(s, Layout::Dvd, true);
  const Bytes hdVc1 = compactTitle(s, Layout::HdDvd, false, true);
  save(corpus / "engine", "hddvd-scan", {0x03, 0x0F, 0xFF, 0, 0, 0, 0}, hd);
  save(corpus / "engine", "hddvd-scan-small-chunks", {0x03, 0x00, 0x06, 0, 0, 0, 0}, hd);
  save(corpus / "engine", "hddvd-demux", {0xA3, 0x0F, 0xFF, 0, 0, 0, 0}, hd);
  save(corpus / "engine", "hddvd-demux-some", {0x22, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01}, hd);
  save(corpus / "engine", "hddvd-vc1-scan", {0x03, 0x0F, 0xFF, 0, 0, 0, 0}, hdVc1);
  save(corpus / "engine", "hddvd-vc1-demux", {0xE3, 0x01, 0x01, 0, 0, 0, 0}, hdVc1);
  save(corpus / "engine", "dvd-scan", {0x07, 0x0F, 0xFF, 0, 0, 0, 0}, dvd);
  save(corpus / "engine", "aob-scan", {0x0B, 0x0F, 0xFF, 0, 0, 0, 0}, aob);
  save(corpus / "engine", "aob-demux", {0xEB, 0x00, 0x63, 0, 0, 0, 0}, aob);

  // Rebuild: catalogue choices, the flags, the kept boxes, the times.
  Bytes plan(16 + 16 + 32, 0);
  plan[0] = 1;    // video 0: E0
  plan[1] = 6;    // video 1: 56
  plan[16] = 1;   // audio 0: 80
  plan[17] = 14;  // audio 1: 81
  plan[32] = 1;   // subpicture 0: 20
  append(plan, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x5F, 0x90, 0x00, 0x0D, 0xBB,
                0xA0});
  save(corpus / "rebuild", "keep-some", plan, packTitle(s));
  plan[32 + 32 + 16] = 0x01;  // keep the advanced-content packs
  plan[32 + 32 + 16 + 6] = 0xFF;
  save(corpus / "rebuild", "keep-all", plan, packTitle(s));

  // Log markup: lines the program writes.
  const char* lines[] = {"[b]MPEG-2[/b] video stream 0 found!",
                         "   First PTS = [re]00015F90[/re]  ([re]+100[/re]ms)",
                         "   Format = [bl]8bitRLE[/bl]",
                         "[c:00FF00]green[/c:00FF00] [s1]small[/s1] [i]x[/i] [u]y[/u]",
                         "[re]Cannot open file \"/x/A.EVO\". No such file or directory[/re]",
                         "[b]unclosed [bl]x",
                         "a[/b]b[",
                         "[s2][c:ZZ]"};
  for (size_t i = 0; i < std::size(lines); ++i)
    save(corpus / "markup", "line" + std::to_string(i), {},
         Bytes(lines[i], lines[i] + std::strlen(lines[i])));

  // Path rules: the path's length, the path, then a caption.
  const std::pair<const char*, const char*> paths[] = {
      {"/media/D/HVDVD_TS/FEATURE_1.EVO", "MPEG-2.stream.0"},
      {"/media/D/HVDVD_TS/A1_1.EVO", "../../etc/passwd"},
      {"VTS_01_1.VOB", "DD+.stream.03\n\x01"},
      {"/a.b/MOVIE", ".."},
      {"/x/y/FEATURE_8.EVO", "Ext.Subpicture.12"}};
  for (size_t i = 0; i < std::size(paths); ++i) {
    const std::string path = paths[i].first;
    const std::string caption = paths[i].second;
    Bytes body(path.begin(), path.end());
    append(body, Bytes(caption.begin(), caption.end()));
    save(corpus / "paths", "path" + std::to_string(i), {uint8_t(path.size())}, body);
  }

  // The playlist and title set tools have no builder here: their seeds are
  // the bundled sample's files, whole, cut short and with numbers beyond
  // the file.
  const Bytes tinyPlaylist = text(
      "<Playlist displayName=\"P\"><MediaAttributeList><AudioAttributeItem index=\"2\" "
      "codec=\"AC-3\" "
      "channels=\"6\"/></MediaAttributeList><TitleSet timeBase=\"60fps\"><Title displayName=\"T\" "
      "titleDuration=\"00:01:00:00\"><PrimaryAudioVideoClip src=\"A.MAP\"><Video track=\"1\" "
      "mediaAttr=\"1\"/>"
      "<Audio streamNumber=\"99\" mediaAttr=\"2\" description=\"../x\"/><Subtitle "
      "streamNumber=\"+3\"/>"
      "</PrimaryAudioVideoClip><ChapterList><Chapter displayName=\"C\" "
      "titleTimeBegin=\"00:00:01:30\"/>"
      "<Chapter titleTimeBegin=\"1\"/></ChapterList></Title></TitleSet><!-- c --><?p?></Playlist>");
  save(corpus / "playlist", "tiny", {0x07, 1, 'A'}, tinyPlaylist);
  if (argc == 4) {
    const fs::path samples = argv[3];
    const Bytes playlist = elementary(samples / "ADV_OBJ", "VPLST000.XPL", 8192);
    save(corpus / "playlist", "sample", {0xFF, 9, 'F', 'E', 'A', 'T', 'U', 'R', 'E', '_', '2'},
         playlist);
    save(corpus / "playlist", "sample-cut", {0x03, 9, 'F', 'E', 'A', 'T', 'U', 'R', 'E', '_', '1'},
         Bytes(playlist.begin(), playlist.begin() + long(playlist.size() / 2)));
    Bytes vti = elementary(samples / "HVDVD_TS", "HVA00001.VTI", 8192);
    save(corpus / "vti", "sample", {}, vti);
    if (vti.size() >= 2048 + 40) {
      save(corpus / "vti", "cut-in-entry", {}, Bytes(vti.begin(), vti.begin() + 2048 + 40));
      Bytes many = vti;
      many[2048] = many[2049] = 0xFF;  // N: 65,535 entries
      many[2048 + 16 + 14] = 0xFF;     // A of the first entry: far more than the file holds
      save(corpus / "vti", "counts-beyond", {}, many);
      Bytes far = vti;
      far[184] = 0x7F;  // S: a table sector far beyond the end
      save(corpus / "vti", "table-beyond", {}, far);
    }
    const Bytes title =
        firstPackOfEachStream(elementary(samples / "HVDVD_TS", "FEATURE_1.EVO", 4u << 20));
    save(corpus / "engine", "sample-scan", {0x03, 0x0F, 0xFF, 0, 0, 0, 0}, title);
    save(corpus / "engine", "sample-demux", {0xE3, 0x07, 0xFF, 0, 0, 0, 0}, title);
    Bytes samplePlan(16 + 16 + 32, 0);
    samplePlan[0] = 1;
    samplePlan[1] = 4;
    samplePlan[16] = 1;
    samplePlan[32] = 1;
    append(samplePlan, {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF5, 0, 0, 0, 0, 0, 0, 0, 0});
    save(corpus / "rebuild", "sample", samplePlan, title);
  }
  return 0;
}
