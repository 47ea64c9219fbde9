// vantrel-cli titles and mkv on a disc-shaped two-part title: what mkvmerge,
// mkvextract and ffmpeg find in the Matroska file, and how bad input ends.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <nlohmann/json.hpp>

#include "metadata/disc_time.h"
#include "tests/support/cli_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_disc.h"
#include "tools/make_sample/playlist_file.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using psmux::EsCodec;


struct CliResult {
  int status = -1;
  Json doc;
};

// vantrel-cli with --json; `prefix` runs first in the same shell (ulimit, PATH).
CliResult cli(const TempDir& dir, const std::string& arguments, const std::string& prefix = "") {
  CliResult run;
  std::string out;
  run.status = runCommand("bash -c " + shellQuoted(prefix + " " + shellQuoted(cliPath()) + " " + arguments +
                                                   " --json 2>>" + shellQuoted(dir.file("log.txt"))),
                          &out);
  run.doc = Json::parse(out, nullptr, false);
  EXPECT_FALSE(run.doc.is_discarded()) << out;
  return run;
}

Json command(const std::string& line) {
  std::string out;
  EXPECT_EQ(runCommand(line, &out), 0) << line;
  return Json::parse(out, nullptr, false);
}

// The one red line of a failed run, which names `words`, and nothing written.
void expectRefused(const CliResult& run, const std::string& words, const std::string& out) {
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.doc["errors"].size(), 1u) << run.doc.dump(1);
  EXPECT_NE(run.doc["errors"][0].get<std::string>().find(words), std::string::npos) << run.doc["errors"][0];
  EXPECT_FALSE(fs::exists(out + "/Feature.mkv"));
}

// Title 1: FEATURE_1 and FEATURE_2 with a chapter at the split; E-AC-3 English 250 ms
// after the first picture; LPCM as 24-bit 5.1 (groups of four samples) and as
// 20-bit mono (groups of two, low bits in nibbles).
sample::DiscTitleContent writeFeature(const TempDir& dir) {
  sample::DiscTitle feature = sample::featureTitle();
  feature.streams[1].start = 0.25;
  feature.streams[5].channels = 6;
  feature.streams[5].bits = 24;
  sample::DiscStream mono{EsCodec::Lpcm, 0xA6, "German PCM", "de"};
  mono.channels = 1;
  mono.bits = 20;
  feature.streams.push_back(mono);
  sample::DiscLayout layout;
  // Title 2: time stamps that wrap past 2^32 between the first picture and the sound.
  sample::DiscTitle wrapped = sample::angleTitle(1);
  wrapped.name = "WRAPPED";
  wrapped.displayName = "Wrapped";
  wrapped.startPts = (1ull << 32) - 4500;
  wrapped.streams[1].start = 0.25;
  layout.titles = {feature, wrapped};
  return writeTestDisc(layout, dir.file("disc")).titles[0];
}

std::map<std::string, Json> audioTracks(const Json& info) {
  std::map<std::string, Json> audio;  // by name
  for (const Json& track : info["tracks"])
    if (track["type"] == "audio") audio[track["properties"].value("track_name", "")] = track;
  return audio;
}

TEST(CliMkv, DiscTitleBecomesOneMatroskaFileWithNamesLanguagesSyncsAndChapters) {
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  if (!haveTool("mkvmerge") || !haveTool("mkvextract")) GTEST_SKIP() << "mkvtoolnix is not installed";
  TempDir dir;
  const sample::DiscTitleContent title = writeFeature(dir);
  const std::string out = dir.file("out");

  // The listing: files, tracks with languages, chapters.
  const CliResult titles = cli(dir, "titles " + shellQuoted(dir.file("disc")));
  ASSERT_EQ(titles.status, 0) << titles.doc.dump(1);
  const Json& listed = titles.doc["playlists"][0]["titles"][0];
  EXPECT_EQ(listed["name"], "Feature");
  EXPECT_EQ(listed["files"], Json::parse(R"([{"path":")" + title.files[0] + R"(","exists":true},{"path":")" +
                                         title.files[1] + R"(","exists":true}])"));
  EXPECT_EQ(listed["chapter_count"], 2);
  EXPECT_NEAR(listed["duration"].get<double>(), 1.6, 0.05);
  std::map<std::string, std::string> languages;  // description -> ISO 639-2
  for (const Json& track : listed["tracks"])
    if (track.contains("description")) languages[track["description"]] = track.value("language_iso639_2", "");
  EXPECT_EQ(languages, (std::map<std::string, std::string>{{"English", "eng"},
                                                             {"English lossless", "eng"},
                                                             {"French", "fre"},
                                                             {"Commentary", "eng"},
                                                             {"Japanese PCM", "jpn"},
                                                             {"German PCM", "ger"},
                                                             {"French forced", "fre"}}));

  // The Matroska file, as mkvmerge, mkvextract and ffmpeg read it.
  const CliResult mkv = cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " -o " + shellQuoted(out));
  ASSERT_EQ(mkv.status, 0) << readFileText(dir.file("log.txt"));
  EXPECT_EQ(mkv.doc["errors"].size(), 0u);
  const std::string file = out + "/Feature.mkv";
  const Json info = command("mkvmerge -J " + shellQuoted(file));
  EXPECT_EQ(info["container"]["properties"]["title"], "Feature");
  std::map<std::string, Json> audio = audioTracks(info);
  EXPECT_EQ(info["tracks"].size(), 1 + audio.size());  // one video
  for (const auto& [name, language] : languages) {
    if (name.find("French forced") != std::string::npos || name == "Commentary") continue;
    SCOPED_TRACE(name);
    ASSERT_TRUE(audio.count(name));
    EXPECT_EQ(audio[name]["properties"]["language"], language);
  }
  // The sync is the measured delay of the first time stamp.
  const int64_t delayMs = int64_t(title.evobs[0].find(EsCodec::Eac3, 0xC0)->firstPts - title.start) / 90;
  EXPECT_EQ(delayMs, 250);
  EXPECT_EQ(audio["English"]["properties"]["minimum_timestamp"].get<int64_t>() / 1'000'000, delayMs);
  EXPECT_EQ(audio["French"]["properties"]["minimum_timestamp"], 0);
  ASSERT_EQ(cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " --title 2 -o " + shellQuoted(out)).status, 0);
  EXPECT_EQ(audioTracks(command("mkvmerge -J " + shellQuoted(out + "/Wrapped.mkv")))["English"]["properties"]
                ["minimum_timestamp"],
            250'000'000);

  // Chapters at disc time: the playlist's time codes count 1.001/60 s.
  std::string chapters;
  ASSERT_EQ(runCommand("mkvextract " + shellQuoted(file) + " chapters --simple -", &chapters), 0);
  const std::string boundary = discTimeText(sample::playlistTime(title.chapters[1], true), TimeBase{});
  EXPECT_EQ(chapters, "CHAPTER01=00:00:00.000\nCHAPTER01NAME=Chapter 1\nCHAPTER02=" + boundary +
                          "\nCHAPTER02NAME=Chapter 2\n");

  // ffmpeg decodes the first second of every track.
  std::string frames;
  runCommand("ffprobe -v error -read_intervals %+1 -show_entries frame=stream_index -of csv=p=0 " +
                 shellQuoted(file),
             &frames);
  std::set<int> decoded;  // lines "1" or "1," (a frame with side data)
  for (size_t at = 0; at < frames.size(); at = frames.find('\n', at) + 1) {
    if (std::isdigit(static_cast<unsigned char>(frames[at]))) decoded.insert(std::atoi(frames.c_str() + at));
    if (frames.find('\n', at) == std::string::npos) break;
  }
  EXPECT_EQ(decoded.size(), info["tracks"].size()) << frames;

  // LPCM: the same samples as ffmpeg's pcm_dvd decoder takes from the discs' files.
  const std::string chain = "concat:" + title.files[0] + "|" + title.files[1];
  for (const auto& [name, id] : {std::pair<std::string, int>{"Japanese PCM", 0xA4}, {"German PCM", 0xA6}}) {
    SCOPED_TRACE(name);
    std::string fromDisc, fromMkv;
    runCommand("ffmpeg -v error -i " + shellQuoted(chain) + " -map 0:i:" + std::to_string(id) + " -f s32le -", &fromDisc);
    runCommand("ffmpeg -v error -i " + shellQuoted(file) + " -map 0:" + std::to_string(audio[name]["id"].get<int>()) +
                   " -f s32le -",
               &fromMkv);
    ASSERT_GT(fromDisc.size(), 48000u);
    EXPECT_LT(fromMkv.size() - fromDisc.size(), 64u * 4);  // ffmpeg drops an unfinished block at the end
    EXPECT_EQ(fromMkv.substr(0, fromDisc.size()), fromDisc);
  }

  // Subpictures stay beside the file, named with their language; the work folder is gone.
  EXPECT_GT(fs::file_size(out + "/Feature.sub00.eng.sup"), 0u);
  EXPECT_GT(fs::file_size(out + "/Feature.sub01.fre.sup"), 0u);
  EXPECT_FALSE(fs::exists(out + "/Feature.streams"));
  const Json& report = mkv.doc["matroska"];
  EXPECT_EQ(report["written"], true);
  EXPECT_EQ(report["subpictures"].size(), 2u);

  // Bad input: one red line each, nothing half-written.
  const uintmax_t mkvSize = fs::file_size(file);
  fs::remove_all(out);
  expectRefused(cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " --title 9 -o " + shellQuoted(out)),
                "no title 9", out);
  expectRefused(cli(dir, "mkv " + shellQuoted(title.files[0]) + " -o " + shellQuoted(out), "PATH=/nowhere"),
                "install mkvtoolnix", out);
  expectRefused(cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " -o " + shellQuoted(out),
                    "mv " + shellQuoted(dir.file("disc/ADV_OBJ")) + " " + shellQuoted(dir.file("away")) + ";"),
                "No playlist", out);
  fs::rename(dir.file("away"), dir.file("disc/ADV_OBJ"));
  EXPECT_FALSE(fs::exists(out));  // refused before anything was made
  // A full disk (here a file-size limit) fails mkvmerge, not the demux.
  uintmax_t largestStream = 0;
  for (const sample::DiscStreamContent& stream : title.evobs[0].streams)
    largestStream = std::max<uintmax_t>(largestStream, title.bytesOf(stream.codec, stream.id).size());
  const uintmax_t limit = mkvSize - 65536;
  ASSERT_LT(largestStream + 65536, limit);
  expectRefused(cli(dir, "mkv " + shellQuoted(title.files[0]) + " -o " + shellQuoted(out),
                    "ulimit -f " + std::to_string(limit / 1024) + ";"),
                "stay in \"" + out + "/Feature.streams\"", out);
  EXPECT_TRUE(fs::exists(out + "/Feature.streams"));
  // Ctrl-C while mkvmerge (here one that writes and waits) runs stops it.
  dir.write("bin/mkvmerge", "#!/bin/sh\necho '#GUI#progress 10%'\necho part > " + shellQuoted(out + "/Feature.mkv") +
                                "\nexec sleep 60\n");
  fs::permissions(dir.file("bin/mkvmerge"), fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (dir.file("bin") + ":" + path).c_str(), 1);
  const auto started = std::chrono::steady_clock::now();
  const InterruptedRun stopped = runCliInterrupted({"mkv", title.files[0], "-o", out}, "Muxing");
  setenv("PATH", path.c_str(), 1);
  EXPECT_TRUE(stopped.interrupted);
  EXPECT_EQ(stopped.status, 130);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_FALSE(fs::exists(out + "/Feature.mkv"));
  EXPECT_NE(stopped.out.find("The demuxed streams stay in " + out + "/Feature.streams"), std::string::npos);
  fs::rename(title.files[1], dir.file("FEATURE_2.EVO"));
  expectRefused(cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " -o " + shellQuoted(dir.file("out2"))),
                "FEATURE_2.EVO, which is missing", dir.file("out2"));

}

// Streams Read EVO does not list go into the file with their true sync: the
// commentary of FEATURE_1 only, and an AC-3 stream that begins past a fast
// check of one chunk.
TEST(CliMkv, StreamsReadEvoDoesNotListAreInTheFileInSync) {
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  if (!haveTool("mkvmerge")) GTEST_SKIP() << "mkvtoolnix is not installed";
  TempDir dir;
  sample::DiscLayout layout;
  layout.titles = {sample::featureTitle()};
  layout.titles[0].streams.push_back({EsCodec::Ac3, 0x85, "Late", "en", "00", 1.45});
  const sample::DiscTitleContent title = writeTestDisc(layout, dir.file("disc")).titles[0];
  const sample::DiscStreamContent* late = title.evobs[1].find(EsCodec::Ac3, 0x85);
  ASSERT_TRUE(late);
  ASSERT_GT(late->packs.front() * 2048, 262144u);  // past the first chunk
  const std::string out = shellQuoted(dir.file("out"));
  const CliResult run = cli(dir, "mkv " + shellQuoted(dir.file("disc")) + " --fast-size 0 -o " + out);
  ASSERT_EQ(run.status, 0) << run.doc.dump(1);
  std::map<std::string, Json> audio = audioTracks(command("mkvmerge -J " + shellQuoted(dir.file("out/Feature.mkv"))));
  ASSERT_TRUE(audio.count("Commentary"));
  EXPECT_EQ(audio["Commentary"]["properties"]["language"], "eng");
  EXPECT_EQ(audio["Commentary"]["properties"]["minimum_timestamp"], 0);
  ASSERT_TRUE(audio.count("Late")) << run.doc.dump(1);
  EXPECT_EQ(audio["Late"]["properties"]["minimum_timestamp"].get<int64_t>() / 1'000'000,
            int64_t(late->firstPts - title.start) / 90);
}

// Streams Read EVO does not list: the AC-3 commentary of FEATURE_1 only and,
// with a fast check of one chunk, the French forced subtitles that begin
// late in FEATURE_2. Demux writes them; with a stream list it says so.
TEST(CliDemux, WritesEveryStreamOfTheTitleOrSaysWhichItLeftOut) {
  if (auto missing = discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  const sample::DiscTitleContent feature = writeFeature(dir);
  const sample::DiscStreamContent* forced = feature.evobs[1].find(EsCodec::Subpicture, 0x21);
  ASSERT_TRUE(forced);
  ASSERT_GT(forced->packs.front() * 2048, 262144u);  // past the first chunk
  const std::string source = shellQuoted(feature.files[0]) + " --fast-size 0 -o ";
  const std::string all = dir.file("all"), chosen = dir.file("chosen");
  fs::create_directory(all);
  fs::create_directory(chosen);
  EXPECT_EQ(cli(dir, "demux " + source + shellQuoted(all)).status, 0);
  EXPECT_EQ(readFileBytes(all + "/FEATURE_1_MERGED.DD.stream.03.mpa"), feature.bytesOf(EsCodec::Ac3, 0x83));
  EXPECT_GT(fs::file_size(all + "/FEATURE_1_MERGED.Subpicture.01.sup"), forced->bytes.size());

  const CliResult run = cli(dir, "demux " + source + shellQuoted(chosen) + " --streams v0,s1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.doc["errors"], Json::array({"The stream s1 was met but not written: Read EVO did not list it."}));
  // Also the commentary and the English subtitles, which the first chunk of FEATURE_2 lacks.
  std::map<std::string, Json> notWritten;  // "subpicture 1"
  for (const Json& met : run.doc["streams_not_written"])
    notWritten[met["kind"].get<std::string>() + " " + std::to_string(met["slot"].get<int>())] = met;
  ASSERT_EQ(notWritten.size(), 3u) << run.doc.dump(1);
  const Json& late = notWritten["subpicture 1"];
  EXPECT_EQ(late["id"], 0x21);
  EXPECT_EQ(late["file"], feature.files[1]);
  EXPECT_EQ(late["position"].get<uint64_t>() / 2048, forced->packs.front());
  EXPECT_EQ(notWritten["audio 3"]["file"], feature.files[0]);
  EXPECT_EQ(notWritten["subpicture 0"]["file"], feature.files[0]);
  EXPECT_FALSE(fs::exists(chosen + "/FEATURE_1_MERGED.Subpicture.01.sup"));
}

}  // namespace
}  // namespace vantrel::testing
