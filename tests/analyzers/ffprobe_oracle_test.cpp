// The analyzers against ffprobe: streams encoded at test time by Debian's
// ffmpeg, analyzed as raw elementary-stream bytes, and compared with what
// ffprobe reports about the same files.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

#include "analyzer_test_support.h"
#include "analyzers/ac3.h"
#include "analyzers/analyzers.h"
#include "analyzers/dts.h"
#include "analyzers/h264.h"
#include "analyzers/lpcm.h"
#include "analyzers/mlp.h"
#include "analyzers/mpeg2_video.h"
#include "analyzers/vc1.h"
#include "tests/support/recording_host.h"
#include "common/text_format.h"
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

  // Runs ffmpeg with `arguments` into the file `name` and returns its bytes.
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

bool hasLine(const RecordingHost& host, const std::string& line) {
  for (const auto& l : host.lines)
    if (l == line) return true;
  return false;
}

// ---------------------------------------------------------------- audio

struct Ac3Case {
  const char* codec;
  int rate;
  bool sixChannels;
  const char* bitRate;
};

TEST_F(FfprobeOracle, Ac3AndEac3) {
  for (const Ac3Case& c :
       {Ac3Case{"ac3", 48000, true, "448k"}, Ac3Case{"ac3", 44100, false, "192k"},
        Ac3Case{"eac3", 48000, true, "384k"}, Ac3Case{"eac3", 44100, false, "192k"}}) {
    SCOPED_TRACE(std::string(c.codec) + " " + std::to_string(c.rate));
    std::string name = std::string(c.codec) + std::to_string(c.rate) + "." + c.codec;
    auto bytes = encode(name, (c.sixChannels ? sixChannels(c.rate) : stereo(c.rate)) + " -c:a " +
                                  c.codec + " -b:a " + c.bitRate + " -f " + c.codec);
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
        hasLine(host, "   Sampling frequency = [bl]" + formatFloat(c.rate / 1000.0) + "[/bl] kHz"))
        << host.text();
    EXPECT_TRUE(hasLine(host, "   Transmission bitrate = [bl]" +
                                  std::to_string(integer(stream, "bit_rate") / 1000) +
                                  "[/bl] kbit/s"))
        << host.text();
    std::string arrangement = c.sixChannels ? "L + R + C + Ls + Rs" : "L + R";
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

TEST_F(FfprobeOracle, Dts) {
  struct Case {
    int rate;
    bool six;
    const char* bitRate;
    const char* kHz;
    const char* arrangement;
  };
  for (const Case& c : {Case{48000, true, "1509k", "48", "C + L + R + Ls + Rs"},
                        Case{44100, false, "768k", "44,1", "L + R (stereo)"}}) {
    SCOPED_TRACE(c.rate);
    std::string name = "dts" + std::to_string(c.rate) + ".dts";
    auto bytes = encode(name, (c.six ? sixChannels(c.rate) : stereo(c.rate)) + " -c:a dca -b:a " +
                                  c.bitRate + " -f dts");
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
    EXPECT_TRUE(hasLine(host, std::string("   Sampling frequency = [bl]") + c.kHz + "[/bl] kHz"))
        << host.text();
    EXPECT_TRUE(
        hasLine(host, std::string("   Channel arrangement = [bl]") + c.arrangement + "[/bl]"))
        << host.text();
    EXPECT_TRUE(hasLine(host, "   Transmission bitrate = [bl]" +
                                  std::to_string(integer(stream, "bit_rate") / 1000) +
                                  "[/bl] kbit/s"));

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
    for (int rate : {48000, 44100}) {
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
          hasLine(host, "   Sampling frequency = [bl]" + formatFloat(rate / 1000.0) + "[/bl] kHz"))
          << host.text();
      // The bytes after the format fields are the major sync signature.
      EXPECT_EQ(host.text().find("Dynamic range"), std::string::npos) << host.text();
      if (trueHd && six) {
        EXPECT_TRUE(hasLine(host,
                            "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, "
                            "Surrounds (Ls/Rs)[/bl]"))
            << host.text();
      }
      if (!trueHd && six) {
        EXPECT_TRUE(hasLine(host, "   Channel arrangement = [bl]Lf + Rf + C + LFE + Ls + Rs[/bl]"))
            << host.text();
      }
    }
  }
}

TEST_F(FfprobeOracle, LpcmInADvdProgramStream) {
  // ffmpeg's DVD muxer writes the LPCM header in front of the samples; the
  // analyzer gets its seven bytes as the engine would hand them over.
  for (bool six : {true, false}) {
    int rate = six ? 48000 : 96000;
    SCOPED_TRACE(rate);
    std::string name = "lpcm" + std::to_string(rate) + ".vob";
    auto bytes = encode(name, (six ? sixChannels(rate) : stereo(rate) + " -sample_fmt s32") +
                                  " -c:a pcm_dvd -f dvd");
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
    EXPECT_TRUE(hasLine(host, "   Number of audio channels = [bl]" +
                                  std::to_string(integer(stream, "channels")) + "[/bl]"))
        << host.text();
  }
}

// ---------------------------------------------------------------- video

TEST_F(FfprobeOracle, Mpeg2Video) {
  struct Case {
    const char* size;
    const char* rate;
    const char* aspect;
    int aspectCode;
    int maxRate;  // bit/s, written into the sequence header
  };
  for (const Case& c : {Case{"720x576", "25", "16:9", 3, 8000000},
                        Case{"1920x1080", "30000/1001", "4:3", 2, 20000000}}) {
    SCOPED_TRACE(c.size);
    std::string name = std::string("video") + c.aspect[0] + ".m2v";
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
    EXPECT_TRUE(hasLine(host, "   size = [bl]" + std::to_string(integer(stream, "width")) +
                                  "[/bl]x[bl]" + std::to_string(integer(stream, "height")) +
                                  "[/bl]"))
        << host.text();
    EXPECT_TRUE(hasLine(host, std::string("   Aspect ratio = [bl]") + c.aspect + "[/bl]"));
    EXPECT_TRUE(hasLine(host, "  Sequence header bitrate = [bl]" +
                                  std::to_string(c.maxRate / 1000) + "[/bl] kbps"));
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string picture = c.picture;
    auto colon = picture.find(':');
    std::string name = c.label + ".264";
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
    EXPECT_TRUE(hasLine(host, "   Size = [bl]" + std::to_string(integer(stream, "width")) +
                                  "[/bl]x[bl]" + std::to_string(integer(stream, "height")) +
                                  "[/bl]"))
        << host.text();
    EXPECT_TRUE(hasLine(
        host, "   Frame rate = " + formatFloat(std::round(tickRate * 1000) / 1000) + " fps"))
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
