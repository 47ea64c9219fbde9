// The analyzers against ffprobe: streams encoded at test time by Debian's
// ffmpeg, analyzed as raw elementary-stream bytes, and compared with what
// ffprobe reports about the same files.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>

#include "analyzer_test_support.h"
#include "analyzers/ac3.h"
#include "analyzers/analyzers.h"
#include "analyzers/dts.h"
#include "analyzers/h264.h"
#include "analyzers/lpcm.h"
#include "analyzers/mlp.h"
#include "analyzers/mpeg2_video.h"
#include "analyzers/vc1.h"
#include "common/text_format.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/title_builder.h"

namespace vantrel {
namespace {

using testing::payloadOver;

// Six distinct tones in a 5.1 layout; a plain tone for stereo.
std::string sixChannels(int rate) {
  return "-f lavfi -i \"aevalsrc=exprs=sin(440*2*PI*t)|sin(550*2*PI*t)|sin(660*2*PI*t)|"
         "sin(70*2*PI*t)|sin(880*2*PI*t)|sin(990*2*PI*t):s=" +
         std::to_string(rate) + ":d=0.3:c=5.1\"";
}
std::string stereo(int rate) {
  return "-f lavfi -i \"sine=f=440:r=" + std::to_string(rate) + ":d=0.3\" -ac 2";
}
// Silence in one of ffmpeg's channel layouts.
std::string silence(int rate, const std::string& layout) {
  return "-f lavfi -i \"anullsrc=r=" + std::to_string(rate) + ":cl=" + layout + "\" -t 0.2";
}
std::string source(int rate, const std::string& layout) {
  return layout == "5.1"      ? sixChannels(rate)
         : layout == "stereo" ? stereo(rate)
                              : silence(rate, layout);
}
std::string testPicture(const std::string& size, const std::string& rate) {
  return "-f lavfi -i testsrc=size=" + size + ":rate=" + rate + " -t 0.25 -pix_fmt yuv420p";
}

double fraction(const std::string& text) {
  auto slash = text.find('/');
  return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
}

class FfprobeOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::haveTool("ffmpeg") || !testing::haveTool("ffprobe"))
      GTEST_SKIP() << "ffmpeg and ffprobe are needed to make and check real streams";
  }

  std::vector<uint8_t> encode(const std::string& name, const std::string& arguments) {
    return testing::ffmpegEncode(dir_, name, arguments);
  }

  // ffprobe's view of the file's stream of the given type.
  nlohmann::json probe(const std::string& name, const std::string& type) {
    std::string output;
    testing::runCommand(
        "ffprobe -v error -print_format json -show_streams \"" + dir_.file(name) + "\"", &output);
    auto all = nlohmann::json::parse(output, nullptr, false);
    if (all.is_object() && all.contains("streams"))
      for (const auto& stream : all["streams"])
        if (stream.value("codec_type", "") == type) return stream;
    ADD_FAILURE() << "ffprobe found no " << type << " stream in " << name << ":\n" << output;
    return nlohmann::json::object();
  }

  static int integer(const nlohmann::json& stream, const char* key) {
    const auto& value = stream.at(key);
    return value.is_string() ? std::stoi(value.get<std::string>()) : value.get<int>();
  }

  testing::TempDir dir_;
};

// ---------------------------------------------------------------- audio

struct Ac3Case {
  std::string codec;
  int rate;
  std::string layout;  // ffmpeg's
  std::string bitRate;
};

// The A/52 channel arrangement of ffmpeg's layouts, by the channels they name.
const std::map<std::string, std::string> kAc3Arrangements = {{"mono", "mono"},
                                                             {"stereo", "L + R"},
                                                             {"3.0", "L + R + C"},
                                                             {"3.0(back)", "L + R + S"},
                                                             {"4.0", "L + R + C + S"},
                                                             {"quad(side)", "L + R + Ls + Rs"},
                                                             {"2.1", "L + R"},
                                                             {"5.0(side)", "L + R + C + Ls + Rs"},
                                                             {"5.1(side)", "L + R + C + Ls + Rs"}};

// Every AC-3 bit rate, sample rate and channel mode that ffmpeg writes.
TEST_F(FfprobeOracle, Ac3AndEac3) {
  std::vector<Ac3Case> cases = {{"ac3", 48000, "5.1", "448k"},
                                {"ac3", 44100, "stereo", "192k"},
                                {"eac3", 48000, "5.1", "384k"},
                                {"eac3", 44100, "stereo", "192k"},
                                {"ac3", 32000, "stereo", "96k"}};
  for (int kbit :
       {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 512, 576, 640})
    cases.push_back({"ac3", 48000, "mono", std::to_string(kbit) + "k"});
  for (const char* layout : {"3.0", "3.0(back)", "4.0", "quad", "2.1", "5.0"})
    cases.push_back({"ac3", 48000, layout, "448k"});
  for (const Ac3Case& c : cases) {
    SCOPED_TRACE(c.codec + " " + std::to_string(c.rate) + " " + c.layout + " " + c.bitRate);
    std::string name = c.codec + std::to_string(c.rate) + "." + c.codec;
    auto bytes = encode(name, source(c.rate, c.layout) + " -c:a " + c.codec + " -b:a " + c.bitRate +
                                  " -f " + c.codec);
    auto stream = probe(name, "audio");
    auto analysis = parseAc3(payloadOver(bytes));
    ASSERT_EQ(analysis.frames.size(), 1u);  // the first frame tells, once
    const Ac3FrameHeader& h = analysis.frames[0];
    EXPECT_EQ(h.enhanced(), std::string(c.codec) == "eac3");
    EXPECT_EQ(int(h.sampleRate), integer(stream, "sample_rate"));
    EXPECT_EQ(int(h.bitRate), integer(stream, "bit_rate"));
    EXPECT_EQ(h.channelCount(), integer(stream, "channels"));

    RecordingHost host;
    analyzeAc3(payloadOver(bytes), 3, host);
    EXPECT_TRUE(
        host.has("   Sampling frequency = [bl]" + formatFloat(c.rate / 1000.0) + "[/bl] kHz"))
        << host.text();
    EXPECT_TRUE(host.has("   Transmission bitrate = [bl]" +
                         std::to_string(integer(stream, "bit_rate") / 1000) + "[/bl] kbit/s"))
        << host.text();
    const std::string arrangement = kAc3Arrangements.at(stream.value("channel_layout", ""));
    EXPECT_EQ(h.lfeon, stream.value("channel_layout", "").find('1') != std::string::npos);
    EXPECT_NE(host.text().find("   Channel arrangement = [bl]" + arrangement + "[/bl], bsid = "),
              std::string::npos)
        << host.text();
  }
}

TEST_F(FfprobeOracle, Eac3AtAReducedSampleRate) {
  // ffmpeg encodes E-AC-3 at 32 kHz and up only. Its 32 kHz frames become
  // 24 kHz ones when fscod 2 and numblkscod 3 are rewritten as fscod 3 and
  // fscod2 0 (six blocks either way); ffprobe reads the rate from there.
  auto bytes = encode("e32.eac3", stereo(32000) + " -c:a eac3 -b:a 96k -f eac3");
  size_t frameBytes = 0;
  for (size_t at = 0; at + 4 < bytes.size(); at += frameBytes) {
    ASSERT_EQ(bytes[at] << 8 | bytes[at + 1], 0x0B77);
    ASSERT_EQ(bytes[at + 4] >> 4, 0xB);
    bytes[at + 4] = uint8_t(0xC0 | (bytes[at + 4] & 0x0F));
    frameBytes = ((bytes[at + 2] & 7u) << 8 | bytes[at + 3]) * 2 + 2;  // frmsiz
  }
  dir_.write("e24.eac3", bytes);
  auto stream = probe("e24.eac3", "audio");
  auto analysis = parseAc3(payloadOver(bytes));
  ASSERT_EQ(analysis.frames.size(), 1u);
  EXPECT_EQ(int(analysis.frames[0].sampleRate), integer(stream, "sample_rate"));
  EXPECT_EQ(analysis.frames[0].blocks, 6u);
  // A/52 Annex E: the frame's bits over its 6 x 256 samples at 24 kHz.
  EXPECT_EQ(analysis.frames[0].bitRate, frameBytes * 8 * 24000 / 1536);
}

// The DTS analyzer's texts keep the comma of the program they come from.
std::string withComma(double value) {
  std::string text = formatFloat(value);
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

// Every DTS sample rate and the bit rates and layouts that ffmpeg writes.
TEST_F(FfprobeOracle, Dts) {
  struct Case {
    int rate;
    std::string layout;
    std::string bitRate;
    std::string arrangement;  // "" where not checked
  };
  std::vector<Case> cases = {{48000, "5.1", "1509k", "C + L + R + Ls + Rs"},
                             {44100, "stereo", "768k", "L + R (stereo)"}};
  for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000})
    cases.push_back({rate, "stereo", "768k", "L + R (stereo)"});
  for (const char* rate : {"320k", "384k", "448k", "512k", "576k", "640k", "1024k", "1152k",
                           "1280k", "1344k", "1408k", "1411.2k", "1472k"})
    cases.push_back({48000, "mono", rate, ""});
  for (const char* layout : {"quad(side)", "5.0(side)"})
    cases.push_back({48000, layout, "1536k", ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " " + c.layout + " " + c.bitRate);
    std::string name = "dts" + std::to_string(c.rate) + ".dts";
    auto bytes = encode(
        name, source(c.rate, c.layout) + " -c:a dca -strict -2 -b:a " + c.bitRate + " -f dts");
    auto stream = probe(name, "audio");
    auto analysis = parseDts(payloadOver(bytes));
    ASSERT_FALSE(analysis.events.empty());
    const auto* core = std::get_if<DtsCoreHeader>(&analysis.events[0]);
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(int(core->sampleRateHz().value_or(0)), integer(stream, "sample_rate"));
    EXPECT_EQ(int(core->bitRate().value_or(0)), integer(stream, "bit_rate"));
    EXPECT_EQ(core->channelCount() + (core->hasLfe() ? 1 : 0), integer(stream, "channels"));

    RecordingHost host;
    analyzeDts(payloadOver(bytes), host);
    EXPECT_TRUE(host.has("   Sampling frequency = [bl]" + withComma(c.rate / 1000.0) + "[/bl] kHz"))
        << host.text();
    EXPECT_TRUE(c.arrangement.empty() ||
                host.has("   Channel arrangement = [bl]" + c.arrangement + "[/bl]"))
        << host.text();
    EXPECT_TRUE(host.has("   Transmission bitrate = [bl]" +
                         withComma(integer(stream, "bit_rate") / 1000.0) + "[/bl] kbit/s"));

    // A first payload that starts 3 bytes into the first frame and ends 2
    // bytes into the second one's header: the bytes after it (the next
    // pack) are not read on, and nothing is reported.
    RecordingHost cut;
    analyzeDts(payloadOver(bytes, 3, core->fsize + 1u - 3 + 6), cut);
    EXPECT_TRUE(cut.lines.empty()) << cut.text();
  }
}

TEST_F(FfprobeOracle, TrueHdAndMlp) {
  for (bool trueHd : {true, false}) {
    for (int rate : {48000, 44100, 88200, 176400, 192000}) {  // ffprobe reads no raw 96 kHz TrueHD
      if (!trueHd && rate > 48000) continue;
      bool six = rate == (trueHd ? 48000 : 44100);
      SCOPED_TRACE(std::string(trueHd ? "truehd " : "mlp ") + std::to_string(rate));
      std::string codec = trueHd ? "truehd" : "mlp";
      // ffprobe recognises raw TrueHD by the extension only.
      std::string name = codec + std::to_string(rate) + (trueHd ? ".thd" : ".mlp");
      auto bytes = encode(
          name, (six ? sixChannels(rate) : stereo(rate)) + " -c:a " + codec + " -f " + codec);
      auto stream = probe(name, "audio");
      auto analysis = parseMlp(payloadOver(bytes));
      ASSERT_FALSE(analysis.headers.empty());
      if (trueHd) {
        const auto* h = std::get_if<TrueHdMajorSync>(&analysis.headers[0]);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->sampleRateHz(), integer(stream, "sample_rate"));
        EXPECT_EQ(h->channelCount(), integer(stream, "channels"));
      } else {
        const auto* h = std::get_if<MlpMajorSync>(&analysis.headers[0]);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->sampleRateHz(), integer(stream, "sample_rate"));
        EXPECT_EQ(h->channelCount(), integer(stream, "channels"));
        EXPECT_EQ(h->bitsPerSample(), integer(stream, "bits_per_raw_sample"));
      }
      RecordingHost host;
      analyzeMlp(payloadOver(bytes), host);
      EXPECT_TRUE(
          host.has("   Sampling frequency = [bl]" + formatFloat(rate / 1000.0) + "[/bl] kHz"))
          << host.text();
      // The bytes after the format fields are the major sync signature.
      EXPECT_EQ(host.text().find("Dynamic range"), std::string::npos) << host.text();
      if (trueHd && six) {
        EXPECT_TRUE(
            host.has("      channel arrangement = [bl]Main (Left,Right), Centre, LFE, "
                     "Surrounds (Ls/Rs)[/bl]"))
            << host.text();
      }
      if (!trueHd && six) {
        EXPECT_TRUE(host.has("   Channel arrangement = [bl]Lf + Rf + C + LFE + Ls + Rs[/bl]"))
            << host.text();
      }
    }
  }
}

TEST_F(FfprobeOracle, LpcmInADvdProgramStream) {
  // ffmpeg's DVD muxer writes the LPCM header in front of the samples; the
  // analyzer gets its seven bytes as the engine would hand them over.
  // Both sample rates and word lengths of DVD-Video LPCM.
  for (const auto& [rate, layout, format] : {std::tuple{48000, "5.1", "s16"},
                                             {96000, "stereo", "s32"},
                                             {48000, "mono", "s32"},
                                             {96000, "mono", "s16"}}) {
    SCOPED_TRACE(std::to_string(rate) + layout + format);
    std::string name = "lpcm" + std::to_string(rate) + layout + ".vob";
    auto bytes =
        encode(name, source(rate, layout) + " -sample_fmt " + format + " -c:a pcm_dvd -f dvd");
    auto stream = probe(name, "audio");
    // The first private stream 1 packet: 00 00 01 BD, length, two flag
    // bytes, header length, header data, then the seven LPCM header bytes.
    size_t at = 0;
    for (; at + 9 < bytes.size(); ++at)
      if (bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 1 && bytes[at + 3] == 0xBD)
        break;
    ASSERT_LT(at + 9, bytes.size());
    size_t header = at + 9 + bytes[at + 8];
    ASSERT_LT(header + 7, bytes.size());
    std::array<uint8_t, 7> lpcm{};
    std::copy_n(bytes.begin() + long(header), 7, lpcm.begin());
    ASSERT_EQ(lpcm[0], 0xA0);
    Payload payload = payloadOver(bytes, header + 7, 64);
    LpcmHeader parsed = parseLpcm(lpcm, payload);
    EXPECT_EQ(parsed.sampleRateHz(), integer(stream, "sample_rate"));
    EXPECT_EQ(parsed.channelCount, integer(stream, "channels"));
    EXPECT_EQ(parsed.bitsPerSample(), integer(stream, "bits_per_raw_sample"));
    RecordingHost host;
    analyzeLpcm(lpcm, payload, host);
    EXPECT_TRUE(host.has("   Number of audio channels = [bl]" +
                         std::to_string(integer(stream, "channels")) + "[/bl]"))
        << host.text();
  }
}

// ---------------------------------------------------------------- video

TEST_F(FfprobeOracle, Mpeg2Video) {
  struct Case {
    std::string size;
    std::string rate;
    std::string aspect;  // display aspect ratio, as ffmpeg takes it and ffprobe gives it
    int aspectCode;
    int maxRate;  // bit/s, written into the sequence header
    std::string shown = aspect;
  };
  // Every frame rate and aspect ratio of the tables; 5:4 at 720x576 is square samples.
  const Case cases[] = {{"720x576", "25", "16:9", 3, 8000000},
                        {"1920x1080", "30000/1001", "4:3", 2, 20000000},
                        {"720x480", "24000/1001", "221:100", 4, 8000000, "2.21:1"},
                        {"720x576", "24", "5:4", 1, 8000000, "1:1"},
                        {"720x480", "30", "4:3", 2, 8000000},
                        {"720x576", "50", "16:9", 3, 8000000},
                        {"720x480", "60000/1001", "4:3", 2, 8000000},
                        {"720x480", "60", "4:3", 2, 8000000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string name = "video" + std::to_string(c.aspectCode) + ".m2v";
    auto bytes =
        encode(name, testPicture(c.size, c.rate) + " -c:v mpeg2video -b:v " +
                         std::to_string(c.maxRate / 2) + " -maxrate " + std::to_string(c.maxRate) +
                         " -bufsize 1835008 -aspect " + c.aspect + " -f mpeg2video");
    auto stream = probe(name, "video");
    auto analysis = parseMpeg2Video(payloadOver(bytes));
    ASSERT_TRUE(analysis.size && analysis.aspectAndFrameRate && analysis.bitRate);
    EXPECT_EQ(analysis.size->width, integer(stream, "width"));
    EXPECT_EQ(analysis.size->height, integer(stream, "height"));
    EXPECT_EQ(stream.value("display_aspect_ratio", ""), c.aspect);
    EXPECT_EQ(analysis.aspectAndFrameRate->aspectRatio, c.aspectCode);
    EXPECT_DOUBLE_EQ(*analysis.frameRate(), fraction(stream.value("r_frame_rate", "0/1")));
    EXPECT_EQ(*analysis.bitRate, uint32_t(c.maxRate));
    EXPECT_EQ(analysis.progressive, stream.value("field_order", "") == "progressive");

    RecordingHost host;
    auto stored = analyzeMpeg2Video(payloadOver(bytes), 0x1234, host);
    EXPECT_EQ(stored, analysis.frameRate());
    EXPECT_TRUE(host.has("   size = [bl]" + std::to_string(integer(stream, "width")) +
                         "[/bl]x[bl]" + std::to_string(integer(stream, "height")) + "[/bl]"))
        << host.text();
    EXPECT_NE(host.text().find("   Aspect ratio = [bl]" + c.shown + "[/bl]"), std::string::npos);
    EXPECT_TRUE(host.has("  Sequence header bitrate = [bl]" + std::to_string(c.maxRate / 1000) +
                         "[/bl] kbps"));
  }
}

// "1:1" out of "[bl]1:1[/bl] (square samples)".
std::string ratioOf(std::string_view name) {
  auto open = name.find("[bl]");
  auto close = name.find("[/bl]");
  if (open == std::string_view::npos || close == std::string_view::npos) return "";
  return std::string(name.substr(open + 4, close - open - 4));
}

TEST_F(FfprobeOracle, H264) {
  struct Case {
    std::string label;
    std::string picture;
    std::string options;
    std::string videoFormat = "";  // as x264 and the standard name it
  };
  const std::string interlaced = "-flags +ildct+ilme -x264-params aud=1:interlaced=1:tff=1";
  const Case cases[] = {
      {"high-1080p", "1920x1080:24000/1001", "-profile:v high -x264-params aud=1"},
      {"high-1080i", "1920x1080:25", "-profile:v high " + interlaced},
      {"high-1080i-2997", "1920x1080:30000/1001", "-profile:v high " + interlaced},
      {"high-720p50", "1280x720:50", "-profile:v high -x264-params aud=1"},
      {"high-720p5994", "1280x720:60000/1001", "-profile:v high -x264-params aud=1"},
      {"main-576p", "720x576:25", "-profile:v main -level 3.1 -aspect 16:9 -x264-params aud=1"},
      // Cropped on the right; Constrained Baseline by its constraint flag.
      {"baseline-768p", "1366x768:25", "-profile:v baseline -x264-params aud=1"},
      {"high444-576p", "720x576:25", "-pix_fmt yuv444p -profile:v high444 -x264-params aud=1"},
      {"high422-576p", "720x576:25", "-pix_fmt yuv422p -profile:v high422 -x264-params aud=1"},
  };
  // Every named sample aspect ratio (x264 does not write 160:99; code 16,
  // 2:1, is past the table H.264 shares with VC-1) and video format.
  std::vector<Case> all(std::begin(cases), std::end(cases));
  const char* formats[] = {"component", "pal", "ntsc", "secam", "mac"};
  const char* names[] = {"Component", "PAL", "NTSC", "SECAM", "MAC"};
  int i = 0;
  for (const char* sar : {"12/11", "10/11", "16/11", "40/33", "24/11", "20/11", "32/11", "80/33",
                          "18/11", "15/11", "64/33", "4/3", "3/2"}) {
    all.push_back(
        {std::string("sar-") + sar, "352x288:25",
         std::string("-vf setsar=") + sar + " -x264-params aud=1:videoformat=" + formats[i % 5],
         names[i % 5]});
    ++i;
  }
  for (const Case& c : all) {
    SCOPED_TRACE(c.label);
    std::string picture = c.picture;
    auto colon = picture.find(':');
    std::string name = c.label + ".264";
    std::replace(name.begin(), name.end(), '/', '-');
    auto bytes = encode(name, testPicture(picture.substr(0, colon), picture.substr(colon + 1)) +
                                  " -c:v libx264 -preset veryfast " + c.options + " -f h264");
    auto stream = probe(name, "video");
    auto sps = parseH264(payloadOver(bytes));
    ASSERT_TRUE(sps && sps->size());
    EXPECT_EQ(sps->size()->width, integer(stream, "width"));
    EXPECT_EQ(sps->size()->height, integer(stream, "height"));
    EXPECT_EQ(sps->levelIdc, integer(stream, "level"));
    EXPECT_EQ(sps->interlaced(), stream.value("field_order", "") != "progressive");
    ASSERT_TRUE(sps->vui && sps->vui->aspectRatioIdc && sps->vui->timing);
    std::string sar =
        *sps->vui->aspectRatioIdc == 255
            ? std::to_string(sps->vui->sarWidth) + ":" + std::to_string(sps->vui->sarHeight)
            : ratioOf(aspectRatioNames[*sps->vui->aspectRatioIdc & 15]);
    EXPECT_EQ(sar, stream.value("sample_aspect_ratio", ""));
    const std::map<std::string, std::string> chroma = {
        {"yuv420p", "4:2:0"}, {"yuv422p", "4:2:2"}, {"yuv444p", "4:4:4"}};
    EXPECT_EQ(h264ChromaFormatNames[sps->chroma ? sps->chroma->formatIdc & 3 : 1],
              chroma.at(stream.value("pix_fmt", "")));
    if (!c.videoFormat.empty()) {
      EXPECT_EQ(h264VideoFormatNames[sps->vui->videoFormat.value_or(5) & 7], c.videoFormat);
    }
    // x264 counts time in fields: two ticks per frame, and the frame report
    // divides by the frame rate.
    const double frameRate = fraction(stream.value("r_frame_rate", "0/1"));
    double tickRate = *sps->vui->timing->tickRate();
    EXPECT_DOUBLE_EQ(tickRate, 2 * frameRate);

    RecordingHost host;
    auto stored = analyzeH264(payloadOver(bytes), host);
    EXPECT_DOUBLE_EQ(stored.value_or(0), frameRate);
    ASSERT_GE(host.lines.size(), 4u);
    EXPECT_EQ(host.lines[0], "   Profile = " + stream.value("profile", ""));
    int level = integer(stream, "level");
    EXPECT_EQ(host.lines[1],
              "   Level = " + std::to_string(level / 10) + "." + std::to_string(level % 10));
    EXPECT_TRUE(host.has("   Size = [bl]" + std::to_string(integer(stream, "width")) +
                         "[/bl]x[bl]" + std::to_string(integer(stream, "height")) + "[/bl]"))
        << host.text();
    EXPECT_TRUE(
        host.has("   Frame rate = " + formatFloat(std::round(tickRate * 1000) / 1000) + " fps"))
        << host.text();

    // The payload ends three bytes into the parameter set: profile and
    // level, nothing read from the bytes behind it.
    const std::vector<uint8_t> spsCode = {0x00, 0x00, 0x01, 0x67};
    auto at = std::search(bytes.begin(), bytes.end(), spsCode.begin(), spsCode.end());
    ASSERT_NE(at, bytes.end());
    RecordingHost cut;
    EXPECT_EQ(analyzeH264(payloadOver(bytes, 0, size_t(at - bytes.begin()) + 7), cut),
              kH264ReportFrameRate);
    EXPECT_EQ(cut.lines, std::vector<std::string>(host.lines.begin(), host.lines.begin() + 2));
  }
}

}  // namespace
}  // namespace vantrel
