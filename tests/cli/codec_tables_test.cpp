// Every entry of a hand-typed codec table that Debian's ffmpeg can produce,
// checked against values found without our code: each stream is encoded at
// one setting, muxed with others into a title and read with
// `vantrel-cli read --json`; ffprobe's reading of the same stream, or the
// setting itself, gives what the report's details must say.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "tests/support/cli_runner.h"
#include "tests/support/title_builder.h"

namespace vantrel::testing {
namespace {

using Json = nlohmann::json;

class CodecTables : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("ffmpeg") || !haveTool("ffprobe"))
      GTEST_SKIP() << "ffmpeg and ffprobe are needed to make and check real streams";
  }

  // How a stream rides in the title: its stream id and substream header.
  using Carry = std::function<TitleStream(int slot)>;
  struct Read {
    Json details;  // of the report
    Json probed;   // ffprobe's stream
  };

  // Encodes a stream per setting ("<input> <codec options>", written as raw
  // `format`), `perTitle` streams to a title, and reads every title.
  std::vector<Read> read(const std::vector<std::string>& settings, const std::string& format,
                         int perTitle, const Carry& carry, const std::string& kind) {
    std::vector<Read> reads;
    for (size_t first = 0; first < settings.size(); first += size_t(perTitle)) {
      std::vector<TitleStream> streams;
      for (size_t i = first; i < std::min(settings.size(), first + size_t(perTitle)); ++i) {
        // ffprobe tells raw TrueHD by the extension.
        const std::string name =
            "s" + std::to_string(i) + "." + (format == "truehd" ? "thd" : format);
        TitleStream s = carry(int(i - first));
        s.bytes = ffmpegEncode(dir, name, settings[i] + " -t 0.2 -f " + format);
        streams.push_back(s);
        reads.push_back({Json(), probe(dir.file(name))});
      }
      const std::string title = dir.write("T.EVO", muxTitle(streams));
      const Json doc =
          Json::parse(runCli("read " + shellQuoted(title) + " --full --json").out, nullptr, false);
      for (size_t i = first; i < reads.size(); ++i)
        for (const Json& s : doc.value("streams", Json::array()))
          if (s["kind"] == kind && s["slot"] == int(i - first)) reads[i].details = s["details"];
    }
    return reads;
  }

  Json probe(const std::string& file) {
    std::string output;
    runCommand("ffprobe -v error -print_format json -show_streams " + shellQuoted(file), &output);
    const Json all = Json::parse(output, nullptr, false);
    return all.is_object() && !all.value("streams", Json::array()).empty() ? all["streams"][0]
                                                                           : Json();
  }

  static Carry substreams(uint8_t first, Bytes (*header)(uint8_t, uint8_t, uint16_t)) {
    return [=](int slot) {
      TitleStream s;
      s.streamId = 0xBD;
      s.substreamHeader = header(uint8_t(first + slot), 1, 1);
      return s;
    };
  }
  static Carry videoIds(uint8_t first) {
    return [=](int slot) {
      TitleStream s;
      s.streamId = uint8_t(first + slot);
      return s;
    };
  }

  TempDir dir;
};

std::string tone(int rate, const std::string& layout = "stereo") {
  return "-f lavfi -i 'anullsrc=r=" + std::to_string(rate) + ":cl=" + layout + "'";
}

int number(const Json& value) {
  return value.is_string() ? std::stoi(value.get<std::string>()) : value.get<int>();
}

double fraction(const std::string& text) {
  const auto slash = text.find('/');
  return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
}

// ffmpeg's channel layouts by the A/52 and DTS names of their channels.
const std::map<std::string, std::string> kAc3Arrangement = {{"mono", "mono"},
                                                            {"stereo", "L + R"},
                                                            {"3.0", "L + R + C"},
                                                            {"3.0(back)", "L + R + S"},
                                                            {"4.0", "L + R + C + S"},
                                                            {"quad(side)", "L + R + Ls + Rs"},
                                                            {"2.1", "L + R"},
                                                            {"5.0(side)", "L + R + C + Ls + Rs"},
                                                            {"5.1(side)", "L + R + C + Ls + Rs"}};

TEST_F(CodecTables, Ac3BitRatesSampleRatesAndChannelModes) {
  std::vector<std::string> settings;
  for (int kbit :
       {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640})
    settings.push_back(tone(48000) + " -c:a ac3 -b:a " + std::to_string(kbit) + "k");
  for (int rate : {44100, 32000}) settings.push_back(tone(rate) + " -c:a ac3");
  for (const auto& [layout, name] : kAc3Arrangement)
    settings.push_back(tone(48000, layout) + " -c:a ac3");
  const auto reads =
      read(settings, "ac3", 8, substreams(0x80, psmux::audioSubstreamHeader), "audio");
  for (size_t i = 0; i < reads.size(); ++i) {
    SCOPED_TRACE(settings[i]);
    const auto& [details, probed] = reads[i];
    EXPECT_EQ(details["bit_rate"], number(probed["bit_rate"]));
    EXPECT_EQ(details["sample_rate"], number(probed["sample_rate"]));
    EXPECT_EQ(details["channels"], probed["channels"]);
    EXPECT_EQ(details["channel_arrangement"], kAc3Arrangement.at(probed["channel_layout"]));
    EXPECT_EQ(details["lfe"],
              probed["channel_layout"] == "2.1" || probed["channel_layout"] == "5.1(side)");
  }
}

TEST_F(CodecTables, DtsSampleRatesBitRatesAndChannels) {
  std::vector<std::string> settings;
  for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000})
    settings.push_back(tone(rate) + " -c:a dca -strict -2");
  for (const char* rate : {"320k", "384k", "448k", "512k", "576k", "640k", "768k", "1024k", "1152k",
                           "1280k", "1344k", "1408k", "1472k", "1536k"})
    settings.push_back(tone(48000) + " -c:a dca -strict -2 -b:a " + rate);
  for (const char* layout : {"mono", "quad(side)", "5.0(side)", "5.1(side)"})
    settings.push_back(tone(48000, layout) + " -c:a dca -strict -2");
  const auto reads =
      read(settings, "dts", 8, substreams(0x88, psmux::audioSubstreamHeader), "audio");
  for (size_t i = 0; i < reads.size(); ++i) {
    SCOPED_TRACE(settings[i]);
    const auto& [details, probed] = reads[i];
    EXPECT_EQ(details["sample_rate"], number(probed["sample_rate"]));
    EXPECT_EQ(details["bit_rate"], number(probed["bit_rate"]));
    EXPECT_EQ(details["channels"], probed["channels"]);
  }
}

TEST_F(CodecTables, TrueHdSampleRates) {
  std::vector<std::string> settings;
  for (int rate : {44100, 48000, 88200, 96000, 176400, 192000})
    settings.push_back(tone(rate) + " -c:a truehd -strict -2");
  const auto reads =
      read(settings, "truehd", 8, substreams(0xB0, psmux::trueHdSubstreamHeader), "audio");
  for (size_t i = 0; i < reads.size(); ++i) {
    SCOPED_TRACE(settings[i]);
    EXPECT_EQ(reads[i].details["sample_rate"], number(reads[i].probed["sample_rate"]));
    EXPECT_EQ(reads[i].details["channels"], reads[i].probed["channels"]);
  }
}

// DVD LPCM as ffmpeg's own DVD muxer writes it, header and all.
TEST_F(CodecTables, LpcmSampleRatesWordLengthsAndChannels) {
  for (int rate : {48000, 96000})
    for (const char* format : {"s16", "s32"})
      for (const char* layout : {"mono", "stereo", "5.1"}) {
        const std::string setting = tone(rate, layout) + " -c:a pcm_dvd -sample_fmt " + format;
        SCOPED_TRACE(setting);
        const std::string vob = dir.file("L.VOB");
        std::string output;
        if (runCommand(
                "ffmpeg -v error -y " + setting + " -t 0.2 -f vob " + shellQuoted(vob) + " 2>&1",
                &output) != 0)
          continue;  // more than DVD LPCM may carry
        const Json probed = probe(vob);
        const Json doc =
            Json::parse(runCli("read " + shellQuoted(vob) + " --json").out, nullptr, false);
        ASSERT_EQ(doc["streams"].size(), 1u);
        const Json& details = doc["streams"][0]["details"];
        EXPECT_EQ(details["sample_rate"], number(probed["sample_rate"]));
        EXPECT_EQ(details["channels"], probed["channels"]);
        EXPECT_EQ(details["bit_depth"],
                  std::string(format) == "s16" ? 16 : number(probed["bits_per_raw_sample"]));
      }
}

TEST_F(CodecTables, Mpeg2FrameRatesAndAspectRatios) {
  const std::vector<std::string> rates = {"24000/1001", "24", "25",         "30000/1001",
                                          "30",         "50", "60000/1001", "60"};
  const std::vector<std::string> aspects = {"4:3", "16:9", "2.21",
                                            "5:4"};  // 5:4 is 720x576 of square samples
  std::vector<std::string> settings;
  for (size_t i = 0; i < rates.size(); ++i)
    settings.push_back("-f lavfi -i testsrc=size=720x576:rate=" + rates[i] +
                       " -c:v mpeg2video -aspect " + aspects[i % aspects.size()]);
  const std::map<std::string, std::string> aspectOf = {
      {"4:3", "4:3"}, {"16:9", "16:9"}, {"221:100", "2.21:1"}, {"5:4", "1:1"}};
  const auto reads = read(settings, "mpeg2video", 2, videoIds(0xE0), "video");
  for (size_t i = 0; i < reads.size(); ++i) {
    SCOPED_TRACE(settings[i]);
    const auto& [details, probed] = reads[i];
    EXPECT_DOUBLE_EQ(details["frame_rate"].get<double>(), fraction(probed["r_frame_rate"]));
    EXPECT_EQ(details["aspect_ratio"], aspectOf.at(probed["display_aspect_ratio"]));
  }
}

TEST_F(CodecTables, H264ChromaFormatsVideoFormatsAndSampleAspectRatios) {
  // x264 writes no monochrome stream, no sample aspect ratio 160:99 and no
  // video format when it is "undef". aspect_ratio_idc 16 (2:1) has no entry
  // in the table H.264 shares with VC-1, which ends at 15.
  const std::map<std::string, std::string> chroma = {
      {"yuv420p", "4:2:0"}, {"yuv422p", "4:2:2"}, {"yuv444p", "4:4:4"}};
  // x264 names the video formats as the H.264 standard does.
  const std::vector<std::pair<std::string, std::string>> formats = {{"component", "Component"},
                                                                    {"pal", "PAL"},
                                                                    {"ntsc", "NTSC"},
                                                                    {"secam", "SECAM"},
                                                                    {"mac", "MAC"}};
  const std::vector<std::string> sars = {"1/1",   "12/11", "10/11", "16/11", "40/33",
                                         "24/11", "20/11", "32/11", "80/33", "18/11",
                                         "15/11", "64/33", "4/3",   "3/2"};
  std::vector<std::string> settings;
  for (size_t i = 0; i < sars.size(); ++i) {
    const auto& pixels = std::next(chroma.begin(), long(i % chroma.size()))->first;
    settings.push_back(
        "-f lavfi -i testsrc=size=352x288:rate=25 -pix_fmt " + pixels + " -vf setsar=" + sars[i] +
        " -c:v libx264 -x264-params videoformat=" + formats[i % formats.size()].first + ":aud=1");
  }
  const auto reads = read(settings, "h264", 2, videoIds(0xE2), "video");
  for (size_t i = 0; i < reads.size(); ++i) {
    SCOPED_TRACE(settings[i]);
    const auto& [details, probed] = reads[i];
    EXPECT_EQ(details.value("chroma_format", ""), chroma.at(probed.value("pix_fmt", "")));
    EXPECT_EQ(details.value("video_format", ""), formats[i % formats.size()].second);
    EXPECT_EQ(details.value("sample_aspect_ratio", ""), probed.value("sample_aspect_ratio", ""));
  }
}

}  // namespace
}  // namespace vantrel::testing
