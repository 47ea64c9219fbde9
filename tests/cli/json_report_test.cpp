// vantrel-cli --json: one document on standard output that says what the
// log says, checked against the log of the same run and against ffprobe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "common/text_format.h"
#include "tests/cli/json_log_check.h"
#include "tests/support/title_builder.h"
#include "tests/support/harness.h"
#include "tests/support/cli_runner.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct JsonRun {
  int status = 0;
  std::string out;  // standard output: the document alone
  std::vector<std::string> log;
  Json doc;
};

// Runs the program with --json; standard error (the log) goes to a file.
JsonRun cliJson(const TempDir& dir, const std::string& arguments) {
  JsonRun run;
  const std::string logFile = dir.file("stderr.txt");
  run.status = runCommand(shellQuoted(cliPath()) + " " + arguments + " --json 2>'" + logFile + "'", &run.out);
  run.log = splitLines(readFileText(logFile));
  run.doc = Json::parse(run.out, nullptr, false);  // strict: nothing but the document
  EXPECT_FALSE(run.doc.is_discarded()) << run.out;
  if (haveTool("python3")) {
    const std::string saved = dir.write("report.json", run.out);
    EXPECT_EQ(runCommand("python3 -m json.tool '" + saved + "' >/dev/null 2>&1"), 0) << run.out;
  }
  return run;
}

const Json* streamOf(const Json& doc, const std::string& kind, int slot) {
  for (const Json& s : doc["streams"])
    if (s["kind"] == kind && s["slot"] == slot) return &s;
  return nullptr;
}

double fraction(const std::string& text) {
  const auto slash = text.find('/');
  return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
}

int integer(const Json& value) {
  return value.is_string() ? std::stoi(value.get<std::string>()) : value.get<int>();
}

class JsonOfFfmpegTitle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("ffmpeg") || !haveTool("ffprobe"))
      GTEST_SKIP() << "ffmpeg and ffprobe are needed to make and check real streams";
  }

  TitleStream encoded(const std::string& name, const std::string& arguments, uint8_t streamId,
                      Bytes substreamHeader, uint32_t firstPts) {
    TitleStream s;
    s.file = dir.file(name);
    s.bytes = ffmpegEncode(dir, name, arguments);
    s.streamId = streamId;
    s.substreamHeader = std::move(substreamHeader);
    s.firstPts = firstPts;
    return s;
  }

  // ffprobe's view of the one stream of an elementary stream file.
  Json probe(const std::string& file) {
    std::string output;
    runCommand("ffprobe -v error -print_format json -show_streams '" + file + "'", &output);
    Json all = Json::parse(output, nullptr, false);
    if (all.is_object() && all.contains("streams") && !all["streams"].empty())
      return all["streams"][0];
    ADD_FAILURE() << "ffprobe found no stream in " << file << ":\n" << output;
    return Json::object();
  }

  TempDir dir;
};

TEST_F(JsonOfFfmpegTitle, ReadAgreesWithItsLogAndWithFfprobe) {
  const std::string tone = "-f lavfi -i \"sine=f=440:r=48000:d=0.3\" -ac 2";
  const std::string surround =
      "-f lavfi -i \"aevalsrc=exprs=sin(440*2*PI*t)|sin(550*2*PI*t)|sin(660*2*PI*t)|"
      "sin(70*2*PI*t)|sin(880*2*PI*t)|sin(990*2*PI*t):s=48000:d=0.3:c=5.1\"";
  const uint32_t first = 180000;  // first video frame of the second file
  std::vector<TitleStream> streams = {
      encoded("v.m2v",
              "-f lavfi -i testsrc=size=720x576:rate=25 -t 0.4 -c:v mpeg2video -aspect 16:9 "
              "-f mpeg2video",
              0xE0, {}, first),
      encoded("v.264",
              "-f lavfi -i testsrc=size=1920x1080:rate=50 -t 0.25 -pix_fmt yuv420p "
              "-c:v libx264 -preset veryfast -profile:v high -x264-params aud=1 -f h264",
              0xE3, {}, first),
      encoded("a.ac3", surround + " -c:a ac3 -b:a 448k -f ac3", 0xBD,
              psmux::audioSubstreamHeader(0x80), first + 90 * 20),
      encoded("a.eac3", tone + " -c:a eac3 -b:a 192k -f eac3", 0xBD,
              psmux::audioSubstreamHeader(0xC1), first - 90 * 50),
      encoded("a.dts", tone + " -c:a dca -f dts", 0xBD, psmux::audioSubstreamHeader(0x8A), first),
      encoded("a.thd", tone + " -c:a truehd -f truehd", 0xBD, psmux::trueHdSubstreamHeader(0xB3),
              first + 45),
  };
  // DVD LPCM: 24 bits, 96 kHz, six channels, dynamic range byte 0x20.
  TitleStream lpcm;
  lpcm.streamId = 0xBD;
  lpcm.substreamHeader = psmux::lpcmSubstreamHeader(0xA4, 0x03, 0x95, 0x20);
  lpcm.bytes.assign(3000, 0x11);
  lpcm.firstPts = first + 900;
  streams.push_back(lpcm);
  TitleStream sub;
  sub.streamId = 0xBD;
  sub.substreamHeader = psmux::subpictureSubstreamHeader(0x21);
  sub.bytes = {0x00, 0x10, 0x00, 0x0C, 0x55, 0x55};
  sub.firstPts = first + 90000;
  streams.push_back(sub);
  for (const auto& s : streams) ASSERT_FALSE(s.bytes.empty());

  // The first file holds an extra subpicture that the second lacks: only
  // the streams of the last file read are listed.
  psmux::Navigation nav1;
  nav1.vobNumber = 1;
  nav1.firstVideoPtm = 90000;
  nav1.lastVideoPtm = first;
  TitleStream early = sub;
  early.substreamHeader = psmux::subpictureSubstreamHeader(0x25);
  early.firstPts = 90000;
  TitleStream video1 = streams[0];
  video1.firstPts = 90000;
  dir.write("HVDVD_TS/FEATURE_1.EVO", muxTitle({video1, early}, nav1));

  psmux::Navigation nav2;
  nav2.vobNumber = 2;
  nav2.firstVideoPtm = first;
  nav2.lastVideoPtm = first + 36000;
  nav2.audioSync = {1, 1, 1, 1, 1};
  nav2.subpictureSync[1] = 1;
  psmux::CopyControl cc;
  cc.byte24 = 0xF0;  // every flag valid
  cc.byte26 = 0xA6;  // Copy Never, APS type 1, ICT on, DOT off
  dir.write("HVDVD_TS/FEATURE_2.EVO", muxTitle(streams, nav2, cc));

  JsonRun run = cliJson(dir, "read '" + dir.file("HVDVD_TS/FEATURE_1.EVO") + "' --full");
  ASSERT_EQ(run.status, 0) << run.out;
  const Json& doc = run.doc;
  ASSERT_TRUE(doc.is_object());
  expectJsonMatchesLog(doc, run.log);

  // The facts themselves, beside the log.
  ASSERT_EQ(doc["files"].size(), 2u);
  EXPECT_EQ(doc["files"][1]["vob_number"], 2);
  EXPECT_EQ(doc["files"][1]["first_video_ptm"], first);
  EXPECT_EQ(doc["files"][1]["size"], fs::file_size(dir.file("HVDVD_TS/FEATURE_2.EVO")));
  EXPECT_FALSE(doc["files"][0].contains("copy_control"));
  const Json& copy = doc["files"][1]["copy_control"];
  EXPECT_EQ(copy["cci"]["name"], "Copy Never");
  EXPECT_EQ(copy["aps"]["name"], "Type 1 of APS1 is ON");
  EXPECT_EQ(copy["ict"]["on"], true);
  EXPECT_EQ(copy["scrambled"], false);
  EXPECT_EQ(streamOf(doc, "subpicture", 5), nullptr);
  EXPECT_EQ(doc["streams"].size(), streams.size());
  const Json* eac3 = streamOf(doc, "audio", 1);
  ASSERT_TRUE(eac3);
  EXPECT_EQ((*eac3)["codec"], "E-AC-3");
  EXPECT_EQ((*eac3)["caption"], "DD+.stream.01");
  // Delays count from the title's first video frame, in the first file.
  EXPECT_EQ((*eac3)["delay_ms"], (first - 90 * 50 - 90000) / 90);
  const Json* ac3 = streamOf(doc, "audio", 0);
  ASSERT_TRUE(ac3);
  EXPECT_EQ((*ac3)["details"]["channel_arrangement"], "L + R + C + Ls + Rs");
  EXPECT_EQ((*ac3)["details"]["lfe"], true);
  const Json* pcm = streamOf(doc, "audio", 4);
  ASSERT_TRUE(pcm);
  EXPECT_EQ((*pcm)["details"]["sample_rate"], 96000);
  EXPECT_EQ((*pcm)["details"]["bit_depth"], 24);
  EXPECT_EQ((*pcm)["details"]["channels"], 6);
  EXPECT_EQ(doc["title"]["video"][0]["frame_rate"], 25.0);

  // Codec parameters equal ffprobe's for every stream ffmpeg made.
  const std::pair<std::string, int> slots[] = {{"video", 0}, {"video", 1}, {"audio", 0},
                                               {"audio", 1}, {"audio", 2}, {"audio", 3}};
  for (size_t i = 0; i < std::size(slots); ++i) {
    SCOPED_TRACE(streams[i].file);
    const Json* s = streamOf(doc, slots[i].first, slots[i].second);
    ASSERT_TRUE(s);
    const Json& d = (*s)["details"];
    const Json probed = probe(streams[i].file);
    if (slots[i].first == "video") {
      EXPECT_EQ(d["width"], integer(probed["width"]));
      EXPECT_EQ(d["height"], integer(probed["height"]));
      EXPECT_NEAR(d["frame_rate"].get<double>(), fraction(probed["r_frame_rate"]), 1e-9);
      // The frame report divides by the same rate, H.264's (50p) included.
      for (const Json& v : doc["title"]["video"]) {
        if (v["slot"] != slots[i].second) continue;
        EXPECT_NEAR(v["frame_rate"].get<double>(), fraction(probed["r_frame_rate"]), 1e-9);
      }
    } else {
      EXPECT_EQ(d["sample_rate"], integer(probed["sample_rate"]));
      EXPECT_EQ(d["channels"], integer(probed["channels"]));
    }
  }
}

TEST(JsonReport, KeysComeInAStableOrderAndLogLinesGoToStandardError) {
  TempDir dir;
  const std::string source = dir.write("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  JsonRun run = cliJson(dir, "read '" + source + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.log.at(1), "Opening file FEATURE_1.EVO");
  const auto ordered = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& item : ordered.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"report_version", "program", "command", "source",
                                            "files", "title", "streams", "errors"}));
  EXPECT_EQ(ordered["program"]["name"], "Vantrel");
  std::vector<std::string> streamKeys;
  for (const auto& item : ordered["streams"][0].items()) streamKeys.push_back(item.key());
  EXPECT_EQ(streamKeys, (std::vector<std::string>{"kind", "slot", "id", "codec", "caption",
                                                  "first_pts", "delay_ms", "details"}));
  expectJsonMatchesLog(run.doc, run.log);
}

TEST(JsonReport, DemuxAndRebuildListTheFilesTheyWrote) {
  TempDir dir;
  const std::string source = dir.write("HVDVD_TS/FEATURE_1.EVO", smallTitle(1));
  dir.write("HVDVD_TS/FEATURE_2.EVO", smallTitle(2));
  fs::create_directory(dir.file("out"));

  JsonRun demux = cliJson(dir, "demux '" + source + "' -o '" + dir.file("out") + "'");
  ASSERT_EQ(demux.status, 0) << demux.out;
  EXPECT_EQ(demux.doc["files"].size(), 2u);  // the Read EVO's files, not the demux pass's again
  std::set<std::string> listed;
  for (const Json& o : demux.doc["outputs"]) {
    listed.insert(o["path"].get<std::string>());
    EXPECT_EQ(o["bytes"].get<uint64_t>(), fs::file_size(o["path"].get<std::string>())) << o;
  }
  std::set<std::string> written;
  for (const auto& entry : fs::directory_iterator(dir.file("out"))) written.insert(entry.path());
  EXPECT_EQ(listed, written);
  EXPECT_EQ(listed.size(), 3u);
  EXPECT_TRUE(demux.doc["errors"].empty());

  JsonRun rebuild =
      cliJson(dir, "rebuild '" + source + "' -o '" + dir.file("out") + "' --streams v0");
  ASSERT_EQ(rebuild.status, 0) << rebuild.out;
  ASSERT_EQ(rebuild.doc["outputs"].size(), 1u);
  const Json& rebuilt = rebuild.doc["outputs"][0];
  EXPECT_EQ(rebuilt["path"], dir.file("out/FEATURE_1_MERGED.rebuilt.EVO"));
  EXPECT_EQ(rebuilt["bytes"].get<uint64_t>(), fs::file_size(rebuilt["path"].get<std::string>()));
  EXPECT_GT(rebuilt["bytes"].get<uint64_t>(), 0u);
}

TEST(JsonReport, ErrorsStillGiveACompleteDocument) {
  TempDir dir;
  JsonRun missing = cliJson(dir, "read '" + dir.file("NONE.EVO") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.doc["files"].empty());
  EXPECT_FALSE(missing.doc.contains("title"));
  ASSERT_EQ(missing.doc["errors"].size(), 1u);
  EXPECT_EQ(missing.doc["errors"][0].get<std::string>().rfind(
                "Cannot open file \"" + dir.file("NONE.EVO") + "\"", 0),
            0u);

  const std::string source = dir.write("A.EVO", smallTitle(1));
  JsonRun noFolder = cliJson(dir, "demux '" + source + "' -o '" + dir.file("nowhere") + "'");
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_EQ(noFolder.doc["files"].size(), 1u);
  EXPECT_TRUE(noFolder.doc["outputs"].empty());
  ASSERT_EQ(noFolder.doc["errors"].size(), 1u);
  EXPECT_EQ(noFolder.doc["errors"][0], "Cannot create file \"" + dir.file("nowhere") +
                                           "/A.MPEG-2.stream.0.mpv\". No such file or directory");

  JsonRun absent = cliJson(dir, "demux '" + source + "' -o '" + dir.path() + "' --streams a7");
  EXPECT_EQ(absent.status, 1);
  EXPECT_EQ(absent.doc["errors"], Json::array({"The title holds no stream a7."}));

  // A rebuild that found nothing lists no output: it removed it.
  Bytes shifted = smallTitle(1);
  shifted.insert(shifted.begin(), 0x00);
  JsonRun nothing = cliJson(dir, "rebuild '" + dir.write("S.EVO", shifted) + "' -o '" + dir.path() + "'");
  EXPECT_EQ(nothing.status, 1);
  EXPECT_TRUE(nothing.doc["outputs"].empty());
  EXPECT_EQ(nothing.doc["errors"].size(), 1u);

  // A document that cannot be written is not a success.
  std::string ignored;
  EXPECT_EQ(runCommand(shellQuoted(cliPath()) + " read '" + source + "' --json >/dev/full 2>/dev/null", &ignored), 1);

  JsonRun noPlaylist = cliJson(dir, "xpl '" + dir.file("VPLST000.XPL") + "'");
  EXPECT_EQ(noPlaylist.status, 1);
  EXPECT_FALSE(noPlaylist.doc.contains("playlist"));
  EXPECT_FALSE(noPlaylist.doc.contains("streams"));
  EXPECT_TRUE(noPlaylist.doc["outputs"].empty());
  ASSERT_EQ(noPlaylist.doc["errors"].size(), 1u);
  EXPECT_EQ(noPlaylist.doc["errors"][0].get<std::string>().rfind("Cannot open file", 0), 0u);
}

// Ctrl-C during a demux: the document still comes, and says so.
TEST(JsonReport, AnInterruptedRunStillEndsWithItsDocument) {
  TempDir dir;
  Bytes big;
  while (big.size() < (48u << 20)) psmux::append(big, smallTitle(1, 120));
  const std::string source = dir.write("BIG.EVO", big);
  InterruptedRun run = runCliInterrupted(
      {"demux", source, "-o", dir.path(), "--json", "--no-details", "--streams", "v0"},
      "Demuxing BIG.EVO", /*markerOnStderr=*/true);
  const std::string& document = run.out;
  ASSERT_TRUE(run.interrupted) << run.err;
  EXPECT_EQ(run.status, 130);
  const Json doc = Json::parse(document, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << document;
  EXPECT_EQ(doc["interrupted"], true);
  ASSERT_EQ(doc["outputs"].size(), 1u);
  EXPECT_EQ(doc["outputs"][0]["bytes"].get<uint64_t>(),
            fs::file_size(doc["outputs"][0]["path"].get<std::string>()));
}

// File names are bytes on Linux; one that is not UTF-8 must not cost the
// report (a JSON library refuses such strings unless told what to do).
TEST(JsonReport, PathsThatAreNotUtf8BecomeReplacementCharacters) {
  TempDir dir;
  const std::string source = dir.write("T\xff\xfe/FEATURE_1.EVO", smallTitle(1));
  JsonRun run = cliJson(dir, "read '" + source + "' --no-continue");
  EXPECT_EQ(run.status, 0);
  const std::string expected = dir.path() + "/T\xEF\xBF\xBD\xEF\xBF\xBD/FEATURE_1.EVO";
  EXPECT_EQ(run.doc["source"], expected);
  EXPECT_EQ(run.doc["files"][0]["path"], expected);
  EXPECT_EQ(run.doc["streams"].size(), 3u);
}

// ------------------------------------------------------ the bundled sample

const std::string kSampleFolder = std::string(VANTREL_SOURCE_DIR) + "/samples";

class JsonOfTheSample : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kSampleFolder + "/HVDVD_TS/FEATURE_1.EVO"))
      GTEST_SKIP() << "the bundled sample is missing";
  }
  TempDir dir;
};

// Its streams were made by ffmpeg: what ffprobe reads in the demuxed files
// is what the document says about them.
TEST_F(JsonOfTheSample, DemuxAgreesWithItsLogAndWithFfprobe) {
  JsonRun run =
      cliJson(dir, "demux '" + kSampleFolder + "/HVDVD_TS/FEATURE_1.EVO' -o '" + dir.path() + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  expectJsonMatchesLog(run.doc, run.log);
  ASSERT_EQ(run.doc["files"].size(), 2u);
  EXPECT_EQ(run.doc["streams"].size(), 9u);
  ASSERT_EQ(run.doc["outputs"].size(), 9u);
  for (const Json& output : run.doc["outputs"])
    EXPECT_EQ(output["bytes"].get<uint64_t>(), fs::file_size(output["path"].get<std::string>()));
  if (!haveTool("ffprobe")) GTEST_SKIP() << "ffprobe is needed to check the codec parameters";

  int probed = 0;
  for (const Json& s : run.doc["streams"]) {
    if (s["kind"] == "subpicture" || s["codec"] == "LPCM")
      continue;  // raw data ffprobe cannot tell
    SCOPED_TRACE(s["caption"].get<std::string>());
    std::string path;
    for (const Json& output : run.doc["outputs"])
      if (output["path"].get<std::string>().find("." + s["caption"].get<std::string>() + ".") !=
          std::string::npos)
        path = output["path"];
    ASSERT_FALSE(path.empty());
    std::string text;
    runCommand("ffprobe -v error -print_format json -show_streams '" + path + "'", &text);
    const Json probe = Json::parse(text, nullptr, false);
    ASSERT_TRUE(probe.is_object() && !probe["streams"].empty()) << text;
    const Json& p = probe["streams"][0];
    const Json& d = s["details"];
    if (s["kind"] == "video") {
      EXPECT_EQ(d["width"], integer(p["width"]));
      EXPECT_EQ(d["height"], integer(p["height"]));
      EXPECT_NEAR(d["frame_rate"].get<double>(), fraction(p["r_frame_rate"]), 1e-9);
    } else {
      EXPECT_EQ(d["sample_rate"], integer(p["sample_rate"]));
      EXPECT_EQ(d["channels"], integer(p["channels"]));
    }
    ++probed;
  }
  EXPECT_EQ(probed, 6);
}

TEST_F(JsonOfTheSample, PlaylistAndTitleSetAgreeWithTheirReports) {
  JsonRun xpl =
      cliJson(dir, "xpl '" + kSampleFolder + "/ADV_OBJ/VPLST000.XPL' --source '" + kSampleFolder +
                       "/HVDVD_TS/FEATURE_1.EVO' --chapters -o '" + dir.path() + "'");
  ASSERT_EQ(xpl.status, 0) << xpl.out;
  const Json& title = xpl.doc["playlist"]["title"];
  auto tree = [&](const std::string& line) {
    return std::find(xpl.log.begin(), xpl.log.end(), line) != xpl.log.end();
  };
  EXPECT_TRUE(tree("  Title: " + xpl.doc["playlist"]["name"].get<std::string>()));
  EXPECT_TRUE(tree("  Name: " + title["name"].get<std::string>()));
  EXPECT_TRUE(tree("  Duration: " + title["duration_code"].get<std::string>()));
  EXPECT_TRUE(tree("  TimeBase: " + xpl.doc["playlist"]["time_base"].get<std::string>()));
  ASSERT_EQ(title["tracks"].size(), 9u);
  for (const Json& track : title["tracks"]) {
    const std::string language =
        track.contains("language") ? " [" + track["language"].get<std::string>() + "]" : "";
    EXPECT_TRUE(tree("  " + track["label"].get<std::string>() + language)) << track;
    EXPECT_TRUE(tree(track["label"].get<std::string>() + " found!")) << track;
  }
  ASSERT_EQ(xpl.doc["outputs"].size(), 1u);
  const std::string chapterFile = xpl.doc["outputs"][0]["path"];
  EXPECT_EQ(xpl.doc["outputs"][0]["bytes"].get<uint64_t>(), fs::file_size(chapterFile));
  std::string expected;
  ASSERT_EQ(title["chapters"].size(), 4u);
  for (const Json& c : title["chapters"]) {
    EXPECT_TRUE(
        tree("  " + c["time_code"].get<std::string>() + ": " + c["name"].get<std::string>()));
    char number[8];
    std::snprintf(number, sizeof number, "%02d", c["number"].get<int>());
    expected += std::string("CHAPTER") + number + "=" + c["time"].get<std::string>() + "\r\n" +
                "CHAPTER" + number + "NAME=" + c["name"].get<std::string>() + "\r\n";
  }
  EXPECT_EQ(readFileText(chapterFile), expected);
  EXPECT_EQ(title["chapters"][1]["time"], "00:00:01.201");  // 72 ticks of 1.001/60 s
  EXPECT_EQ(title["tracks"][8]["language_iso639_2"], "fre");

  JsonRun vti = cliJson(dir, "vti '" + kSampleFolder + "/HVDVD_TS'");
  ASSERT_EQ(vti.status, 0) << vti.out;
  const Json& set = vti.doc["title_set"];
  std::vector<std::string> expectedLines = {"Category: " + set["category_name"].get<std::string>(),
                                            hex8(set["attribute_table_sector"]),
                                            hex8(set["value_after_table_sector"])};
  int k = 0;
  for (const Json& entry : set["entries"]) {
    expectedLines.push_back("ATR #" + std::to_string(++k));
    const Json& main = entry["main_video"];
    expectedLines.push_back("Main Video: " + main["codec"].get<std::string>() + ", " +
                            main["aspect_ratio"].get<std::string>() + ", " +
                            main["resolution"].get<std::string>());
    if (entry.contains("sub_video")) {
      expectedLines.push_back("Sub Video compression mode: " +
                              entry["sub_video"]["codec"].get<std::string>());
      expectedLines.push_back("Resolution: " + entry["sub_video"]["resolution"].get<std::string>());
    }
    expectedLines.push_back("Main Audio stream: " +
                            std::to_string(entry["audio_count"].get<int>()));
    int i = 0;
    for (const Json& a : entry["audio"]) {
      std::string line = "  " + std::to_string(i++) + ": " + a["codec"].get<std::string>() + ", " +
                         std::to_string(a["sample_rate"].get<int>() / 1000) + " kHz";
      if (a.contains("bit_depth"))
        line += ", " + std::to_string(a["bit_depth"].get<int>()) + " bit";
      expectedLines.push_back(line);
    }
  }
  ASSERT_GE(vti.log.size(), expectedLines.size() + 1);
  EXPECT_EQ(vti.log[0], "Reading HVA00001.VTI");
  EXPECT_EQ(std::vector<std::string>(vti.log.begin() + 1,
                                     vti.log.begin() + 1 + long(expectedLines.size())),
            expectedLines);
}

}  // namespace
}  // namespace vantrel::testing
