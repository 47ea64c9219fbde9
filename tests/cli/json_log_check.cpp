#include "tests/cli/json_log_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "common/path_rules.h"
#include "common/text_format.h"

namespace vantrel::testing {

namespace {

using Json = nlohmann::json;
using Lines = std::vector<std::string>;

bool has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The rest of the first line that starts with `prefix`, or nullptr.
const std::string* withPrefix(const Lines& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) return &line;
  return nullptr;
}

std::string text(const Lines& lines) {
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  return all;
}

void expectLine(const Lines& lines, const std::string& line) {
  if (!has(lines, line)) ADD_FAILURE() << "missing: " << line << "\n" << text(lines);
}

void expectPrefix(const Lines& lines, const std::string& prefix) {
  if (!withPrefix(lines, prefix)) ADD_FAILURE() << "missing: " << prefix << "...\n" << text(lines);
}

// "48" or "44,1" or "44.1" as a number.
double number(std::string value) {
  std::replace(value.begin(), value.end(), ',', '.');
  return std::stod(value);
}

// The number between `prefix` and `suffix` on the line that starts with `prefix`.
std::optional<double> numberAfter(const Lines& lines, const std::string& prefix) {
  const std::string* line = withPrefix(lines, prefix);
  if (!line) return std::nullopt;
  std::string rest = line->substr(prefix.size());
  return number(rest.substr(0, rest.find(' ')));
}

std::string foundText(const Json& s) {
  const std::string codec = s["codec"];
  const std::string slot = std::to_string(s["slot"].get<int>());
  if (codec == "MPEG-2") return "MPEG-2 video stream " + slot + " found!";
  if (codec == "H.264") return "H.264 (AVC) video stream " + slot + " found!";
  if (codec == "VC-1") return "VC-1 video stream " + slot + " found!";
  if (codec == "AC-3") return "Dolby Digital audio stream " + slot + " found!";
  if (codec == "E-AC-3") return "Dolby Digital Plus audio stream " + slot + " found!";
  if (codec == "DTS") return "DTS HD (DTS) audio stream " + slot + " found!";
  if (codec == "LPCM") return "LPCM audio stream " + slot + " found!";
  if (codec == "MLP") return "MLP audio stream " + slot + " found!";
  if (codec == "TrueHD") return "Dolby TrueHD audio stream " + slot + " found!";
  if (codec == "subpicture") return "Subpicture stream " + slot + " found!";
  if (codec == "extended subpicture") return "Extended subpicture stream " + slot + " found!";
  ADD_FAILURE() << "unknown codec " << codec;
  return "";
}

void checkFile(const Json& file, const Lines& section) {
  SCOPED_TRACE(file["path"].get<std::string>());
  ASSERT_FALSE(section.empty());
  EXPECT_EQ(section[0], "Opening file " + fileNamePart(file["path"].get<std::string>()));
  expectLine(section,
             "File size: " + std::to_string(file["size"].get<int64_t>() / 1048576) + " Mbytes.");
  if (file.contains("vob_number")) {
    const std::string* counts = withPrefix(section, "VOB number ");
    ASSERT_TRUE(counts) << text(section);
    int vob = 0, video = 0, audio = 0;
    ASSERT_EQ(std::sscanf(counts->c_str(), "VOB number %d contains %d video %*s %d audio", &vob,
                          &video, &audio),
              3)
        << *counts;
    EXPECT_EQ(vob, file["vob_number"]);
    EXPECT_EQ(video, file["stream_counts"]["video"]);
    EXPECT_EQ(audio, file["stream_counts"]["audio"]);
    const int sub = file["stream_counts"]["subpicture"];
    EXPECT_EQ(counts->find(" and " + std::to_string(sub) + " subpicture") != std::string::npos,
              sub > 0)
        << *counts;
    expectLine(section, "PTM of first video frame = " + hex8(file["first_video_ptm"]));
    expectLine(section, "PTM of last video frame = " + hex8(file["last_video_ptm"]));
    expectLine(section, "Duration = " + durationText(file["duration"]));
  } else {
    EXPECT_FALSE(withPrefix(section, "VOB number ")) << text(section);
  }
  if (file.contains("copy_control")) {
    const Json& cc = file["copy_control"];
    EXPECT_EQ(has(section, "This file is ENCRYPTED! Decrypt it before any process."),
              cc["scrambled"].get<bool>());
    for (const char* key : {"cci", "aps"}) {
      const bool shown = cc[key]["valid"].get<bool>() && cc[key]["code"].get<int>() != 0;
      if (shown) expectLine(section, cc[key]["name"].get<std::string>());
    }
    EXPECT_EQ(has(section, "ICT on, constrained analog output"),
              cc["ict"]["valid"].get<bool>() && cc["ict"]["on"].get<bool>());
    EXPECT_EQ(has(section, "DOT on, analog output not allowed"),
              cc["dot"]["valid"].get<bool>() && cc["dot"]["on"].get<bool>());
  }
}

void checkMpeg2(const Json& d, const Lines& b) {
  EXPECT_EQ(has(b, "   Sequence Header found"), d["sequence_header"].get<bool>());
  if (d.contains("width"))
    expectLine(b, "   size = " + std::to_string(d["width"].get<int>()) + "x" +
                      std::to_string(d["height"].get<int>()));
  if (d.contains("aspect_ratio"))
    expectPrefix(b, "   Aspect ratio = " + d["aspect_ratio"].get<std::string>());
  if (d.contains("frame_rate")) {
    auto logged = numberAfter(b, "   Frame rate = ");
    ASSERT_TRUE(logged);
    EXPECT_NEAR(*logged, d["frame_rate"].get<double>(), 0.001);
  } else if (d.contains("frame_rate_code")) {
    EXPECT_TRUE(has(b, "   Frame rate = reserved") || has(b, "   Frame rate = forbidden"));
  }
  if (d.contains("bit_rate"))
    expectLine(b, "  Sequence header bitrate = " +
                      std::to_string(d["bit_rate"].get<int64_t>() / 1000) + " kbps");
  if (d.contains("progressive"))
    expectLine(
        b, std::string("   Progressive Sequence = ") + (d["progressive"].get<bool>() ? "1" : "0"));
}

void checkH264(const Json& d, const Lines& b) {
  expectPrefix(b, "   Profile = " + d["profile"].get<std::string>());
  expectLine(b, "   Level = " + d["level"].get<std::string>());
  if (const std::string* chroma = withPrefix(b, "   Chroma format = ")) {
    EXPECT_EQ(*chroma, "   Chroma format = " + d["chroma_format"].get<std::string>() +
                           "  (l, c) = " + std::to_string(d["bit_depth_luma"].get<int>()) + ", " +
                           std::to_string(d["bit_depth_chroma"].get<int>()) + " bit");
  }
  if (d.contains("width"))
    expectLine(b, "   Size = " + std::to_string(d["width"].get<int>()) + "x" +
                      std::to_string(d["height"].get<int>()));
  else
    EXPECT_FALSE(withPrefix(b, "   Size = ")) << text(b);
  if (d.contains("sample_aspect_ratio"))
    expectPrefix(b, "   Aspect ratio = " + d["sample_aspect_ratio"].get<std::string>());
  if (d.contains("video_format"))
    expectLine(b, "   Video format = " + d["video_format"].get<std::string>());
  if (d.contains("time_scale"))
    expectLine(
        b, "   Time scale = " + std::to_string(d["time_scale"].get<int32_t>() / 1000000) + " MHz");
  if (d.contains("tick_rate")) {
    const double ticks = d["tick_rate"];
    expectLine(b, "   Frame rate = " + formatFloat(std::round(ticks * 1000.0) / 1000.0) + " fps");
    EXPECT_DOUBLE_EQ(d["frame_rate"].get<double>(), ticks / 2);
  }
}

void checkVc1(const Json& d, const Lines& b) {
  // Reserved codes are left out of the document and named so in the log.
  expectLine(b, "   Profile = " + d.value("profile", std::string("Reserved")));
  expectLine(b, d.contains("level") ? "   Level = " + std::to_string(d["level"].get<int>())
                                    : "   Level = Reserved");
  expectLine(b, "   Chroma Format = " + d.value("chroma_format", std::string("Reserved")));
  expectLine(b, "   Size = " + std::to_string(d["width"].get<int>()) + "x" +
                    std::to_string(d["height"].get<int>()));
  EXPECT_EQ(has(b, "  Progressive segmented frames."),
            d["progressive_segmented_frames"].get<bool>());
  if (d.contains("display_width"))
    expectLine(b, "   Display size = " + std::to_string(d["display_width"].get<int>()) + "x" +
                      std::to_string(d["display_height"].get<int>()));
  if (d.contains("sample_aspect_ratio"))
    expectPrefix(b, "   Aspect ratio = " + d["sample_aspect_ratio"].get<std::string>());
  if (d.contains("frame_rate")) {
    auto logged = numberAfter(b, "   Frame Rate = ");
    ASSERT_TRUE(logged);
    EXPECT_NEAR(*logged, d["frame_rate"].get<double>(), 0.001);
  }
}

void checkAc3(const Json& d, const Lines& b, int slot) {
  const bool plus = d["format"] == "E-AC-3";
  const std::string stream = "   Stream " + std::to_string(slot);
  expectLine(b, stream + (plus ? " is Dolby Digital Plus" : " is Dolby Digital"));
  if (d.contains("sample_rate"))
    expectLine(
        b, "   Sampling frequency = " + formatFloat(d["sample_rate"].get<int>() / 1000.0) + " kHz");
  if (d.contains("bit_rate"))
    expectLine(b, "   Transmission bitrate = " + std::to_string(d["bit_rate"].get<int>() / 1000) +
                      " kbit/s");
  const std::string arrangement =
      "   Channel arrangement = " + d["channel_arrangement"].get<std::string>() +
      ", bsid = " + std::to_string(d["bsid"].get<int>());
  if (plus) {
    expectLine(b, arrangement);
    expectLine(b, "   frame size = " + std::to_string(d["frame_size"].get<int>()) +
                      " bytes, number of blocks per frame = " +
                      std::to_string(d["blocks_per_frame"].get<int>()));
    expectLine(
        b, std::string("   LFE channel = ") + (d["lfe"].get<bool>() ? "present" : "not present"));
  } else {
    expectLine(b, arrangement + ", bsmod =" + std::to_string(d["bsmod"].get<int>()));
  }
}

void checkDts(const Json& d, const Lines& b) {
  if (d.contains("sample_rate")) {
    auto khz = numberAfter(b, "   Sampling frequency = ");
    ASSERT_TRUE(khz);
    EXPECT_NEAR(*khz * 1000, d["sample_rate"].get<double>(), 0.5);
  }
  if (d.contains("bit_rate")) {
    auto kbit = numberAfter(b, "   Transmission bitrate = ");
    ASSERT_TRUE(kbit);
    EXPECT_NEAR(*kbit * 1000, d["bit_rate"].get<double>(), 0.5);
  }
  if (d.contains("channel_arrangement"))
    expectLine(b, "   Channel arrangement = " + d["channel_arrangement"].get<std::string>());
  if (d.contains("lfe"))
    expectPrefix(
        b, std::string("   LFE channel = ") + (d["lfe"].get<bool>() ? "present" : "not present"));
  if (d.contains("core_samples")) {
    expectLine(b, "   PCM core samples = " + std::to_string(d["core_samples"].get<int>()));
    expectLine(b, "   PCM sample blocks = " + std::to_string(d["pcm_sample_blocks"].get<int>()));
    expectLine(b, "   Primary frame byte size = " + std::to_string(d["frame_size"].get<int>() - 1));
    expectPrefix(b,
                 "   Encoder software rev. = " + std::to_string(d["encoder_revision"].get<int>()));
  }
  if (d.contains("bit_depth")) {
    const std::string* line = withPrefix(
        b, "   Source PCM resolution = " + std::to_string(d["bit_depth"].get<int>()) + " bits");
    ASSERT_TRUE(line) << text(b);
    EXPECT_EQ(line->find("DTS ES") != std::string::npos, d["es"].get<bool>());
  }
  EXPECT_EQ(has(b, "   Channel extension found"), d["channel_extension"].get<bool>());
  EXPECT_EQ(has(b, "   Frequency extensiond found (96 kHz)"), d["frequency_extension"].get<bool>());
}

void checkMlp(const Json& d, const Lines& b) {
  if (d["format"] == "TrueHD") {
    expectLine(b, "   TrueHD stream (up to 8 channels)");
    if (d.contains("channel_arrangement_6ch"))
      expectLine(b,
                 "      channel arrangement = " + d["channel_arrangement_6ch"].get<std::string>());
    if (d.contains("channel_arrangement"))
      expectLine(b, "      channel arrangement = " + d["channel_arrangement"].get<std::string>());
    if (d.contains("channel_modifier_2ch"))
      expectLine(b, "      channel modifier = " + d["channel_modifier_2ch"].get<std::string>());
    // The log names the 6- and 8-channel modifiers by the 2-channel names.
    const std::map<std::string, std::string> logged = {{"not indicated", "Stereo"},
                                                       {"not Dolby Surround EX", "Lt/Rt"},
                                                       {"Dolby Surround EX", "Lbin/Rbin"}};
    for (const char* key : {"channel_modifier_6ch", "channel_modifier_8ch"})
      if (d.contains(key))
        expectLine(b, "      channel modifier = " + logged.at(d[key].get<std::string>()));
  } else {
    expectLine(b, "   Standard MLP stream (up to 6 channels) ");
    if (d.contains("bit_depth"))
      expectLine(b,
                 "   Quantization length = " + std::to_string(d["bit_depth"].get<int>()) + " bits");
    if (d.contains("channel_arrangement"))
      expectLine(b, "   Channel arrangement = " + d["channel_arrangement"].get<std::string>());
  }
  if (d.contains("sample_rate")) {
    auto khz = numberAfter(b, "   Sampling frequency = ");
    ASSERT_TRUE(khz);
    EXPECT_NEAR(*khz * 1000, d["sample_rate"].get<double>(), 0.5);
  }
}

void checkLpcm(const Json& d, const Lines& b) {
  if (d.contains("frame_headers"))
    expectLine(b, "   Number of frame headers = " + std::to_string(d["frame_headers"].get<int>()));
  if (d.contains("first_access_unit_pointer"))
    expectLine(b, "   First acces unit pointer = " + hex4(d["first_access_unit_pointer"]));
  if (d.contains("emphasis")) {
    expectLine(b, std::string("   Emphasis = ") + (d["emphasis"].get<bool>() ? "on" : "off") +
                      ", mute = " + (d["mute"].get<bool>() ? "on" : "off"));
    expectLine(b, "   Frame number = " + std::to_string(d["frame_number"].get<int>()));
  }
  if (d.contains("bit_depth"))
    expectLine(b,
               "   Quantization length = " + std::to_string(d["bit_depth"].get<int>()) + " bits");
  if (d.contains("sample_rate")) {
    auto khz = numberAfter(b, "   Sampling frequency = ");
    ASSERT_TRUE(khz);
    EXPECT_NEAR(*khz * 1000, d["sample_rate"].get<double>(), 0.5);
  }
  if (d.contains("channels"))
    expectLine(b, "   Number of audio channels = " + std::to_string(d["channels"].get<int>()));
  if (d.contains("dynamic_range_db"))
    expectLine(b, "   Dynamic range = " + formatFloat(d["dynamic_range_db"]) + " dB");
}

// The details block of a stream: the indented lines after its "found!" line.
Lines blockAfter(const Lines& section, const std::string& found) {
  Lines block;
  auto it = std::find(section.begin(), section.end(), found);
  if (it == section.end()) return block;
  for (++it; it != section.end() && it->rfind("  ", 0) == 0; ++it) block.push_back(*it);
  return block;
}

void checkStream(const Json& s, const Lines& section) {
  const std::string found = foundText(s);
  SCOPED_TRACE(found);
  const Lines b = blockAfter(section, found);
  if (!s.contains("first_pts")) {
    EXPECT_FALSE(withPrefix(b, "   First PTS = ")) << text(b);
    return;
  }
  ASSERT_GE(b.size(), 2u) << text(section);
  const std::string ptsLine = "   First PTS = " + hex8(s["first_pts"]);
  ASSERT_EQ(b[0].rfind(ptsLine, 0), 0u) << b[0];
  const std::string delay = b[0].substr(ptsLine.size());
  const int64_t delayMs = s["delay_ms"];
  if (delay.empty()) {
    EXPECT_EQ(delayMs, 0);
  } else {
    long long logged = 0;
    char sign = 0;
    ASSERT_EQ(std::sscanf(delay.c_str(), "  (%c%lldms)", &sign, &logged), 2) << delay;
    EXPECT_EQ(sign == '-' ? -logged : logged, delayMs);
  }
  EXPECT_EQ(b[1], "   Substream id = " + hex2(s["id"]));
  const Json& d = s["details"];
  const std::string codec = s["codec"];
  if (d.empty()) {  // no header found in the first payload: no detail lines
    EXPECT_EQ(b.size(), 2u) << text(b);
    return;
  }
  if (codec == "MPEG-2")
    checkMpeg2(d, b);
  else if (codec == "H.264")
    checkH264(d, b);
  else if (codec == "VC-1")
    checkVc1(d, b);
  else if (codec == "AC-3" || codec == "E-AC-3")
    checkAc3(d, b, s["slot"]);
  else if (codec == "DTS")
    checkDts(d, b);
  else if (codec == "TrueHD" || codec == "MLP")
    checkMlp(d, b);
  else if (codec == "LPCM")
    checkLpcm(d, b);
  else
    expectLine(b, "   Format = " + d["format"].get<std::string>());
}

void checkFrameReport(const Json& title, const Lines& report) {
  size_t expected = 0;
  for (const Json& v : title["video"]) {
    const std::string stream = " in video stream " + std::to_string(v["slot"].get<int>()) + ".";
    const int counted = v["counted_frames"];
    if (counted > 0) {
      ++expected;
      if (v.contains("frame_rate"))
        expectLine(report, std::to_string(counted) + " counted frames (" +
                               durationText(v["counted_duration"]) + ")" + stream);
      else
        expectLine(report, std::to_string(counted) + " frames count" + stream);
    }
    if (v.contains("calculated_frames")) {
      ++expected;
      expectLine(report, std::to_string(v["calculated_frames"].get<int64_t>()) +
                             " calculated frames" + stream);
    }
  }
  const auto logged = std::count_if(report.begin(), report.end(), [](const std::string& l) {
    return l.find(" in video stream ") != std::string::npos;
  });
  EXPECT_EQ(size_t(logged), expected) << text(report);
}

}  // namespace

std::vector<std::string> splitLines(const std::string& all) {
  Lines lines;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void expectJsonMatchesLog(const Json& doc, const Lines& log) {
  // The Read EVO's part of the log: one section per file, then the report.
  auto done = std::find(log.begin(), log.end(), "Done.");
  ASSERT_NE(done, log.end());
  std::vector<Lines> sections;
  for (auto it = log.begin(); it != done; ++it) {
    if (it->rfind("Opening file ", 0) == 0) sections.emplace_back();
    if (!sections.empty()) sections.back().push_back(*it);
  }
  const Json& files = doc["files"];
  ASSERT_EQ(sections.size(), files.size());
  double duration = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    checkFile(files[i], sections[i]);
    duration += files[i].value("duration", 0.0);
  }

  // Every stream of the last file, and nothing else, is in the document.
  const Lines& last = sections.back();
  Lines foundLogged, foundInJson;
  for (const auto& line : last)
    if (line.ends_with(" found!")) foundLogged.push_back(line);
  for (const Json& s : doc["streams"]) {
    foundInJson.push_back(foundText(s));
    checkStream(s, last);
  }
  std::sort(foundLogged.begin(), foundLogged.end());
  std::sort(foundInJson.begin(), foundInJson.end());
  EXPECT_EQ(foundInJson, foundLogged);

  ASSERT_TRUE(doc.contains("title"));
  EXPECT_NEAR(doc["title"]["duration"].get<double>(), duration, 1e-9);
  // The report ends where a following Demux or Rebuild starts.
  auto reportEnd = std::find_if(done + 1, log.end(), [](const std::string& line) {
    return line.rfind("Creating ", 0) == 0 || line.rfind("Opening file ", 0) == 0 ||
           line.rfind("Rebuild", 0) == 0;
  });
  checkFrameReport(doc["title"], Lines(done + 1, reportEnd));
}

}  // namespace vantrel::testing
