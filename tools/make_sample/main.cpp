// vantrel-make-sample: encodes test patterns and tones with ffmpeg and muxes
// them into the bundled sample title (or a large benchmark title).

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/make_sample/sample_title.h"
#include "tools/make_sample/tool_runner.h"

using namespace vantrel::sample;

namespace {

const char* kUsage =
    "usage: vantrel-make-sample [--out DIR] [--bench FILE [--bench-mib N] [--from DIR]]\n"
    "                           [--work DIR] [--ffmpeg PATH] [--ffprobe PATH]\n"
    "  --out DIR        write DIR/HVDVD_TS/FEATURE_1.EVO, FEATURE_2.EVO, HVA00001.VTI\n"
    "                   and DIR/ADV_OBJ/VPLST000.XPL (default: samples)\n"
    "  --bench FILE     instead write one title of at least N MiB (default 1024)\n"
    "                   that repeats the sample's streams\n"
    "  --from DIR       with --bench: take the streams from the title already in\n"
    "                   DIR/HVDVD_TS (FEATURE_1.EVO, FEATURE_2.EVO, ...), without ffmpeg\n"
    "  --work DIR       keep the encoded elementary streams in DIR\n";

}  // namespace

int main(int argc, char** argv) {
  std::string out = "samples";
  std::string bench;
  unsigned long long benchMib = 1024;
  std::string work;
  std::string from;
  Tools tools;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "%s needs a value\n%s", args[i].c_str(), kUsage);
        std::exit(2);
      }
      return args[++i];
    };
    if (args[i] == "--out") {
      out = value();
    } else if (args[i] == "--bench") {
      bench = value();
    } else if (args[i] == "--bench-mib") {
      std::string text = value();
      char* end = nullptr;
      benchMib = std::strtoull(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || benchMib == 0) {
        std::fprintf(stderr, "--bench-mib needs a whole number above 0\n");
        return 2;
      }
    } else if (args[i] == "--from") {
      from = value();
    } else if (args[i] == "--work") {
      work = value();
    } else if (args[i] == "--ffmpeg") {
      tools.ffmpeg = value();
    } else if (args[i] == "--ffprobe") {
      tools.ffprobe = value();
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "unknown argument %s\n%s", args[i].c_str(), kUsage);
      return 2;
    }
  }

  if (!from.empty() && bench.empty()) {
    std::fprintf(stderr, "--from goes with --bench\n%s", kUsage);
    return 2;
  }

  try {
    SampleTitle title;
    if (!from.empty()) {
      std::vector<std::string> files = titleFiles(from);
      if (files.empty()) throw std::runtime_error("no HVDVD_TS/FEATURE_1.EVO in " + from);
      title = readTitle(files);
    } else {
      std::printf("%s\n", toolVersion(tools.ffmpeg).c_str());
      WorkFolder workDir(work);
      title = makeSampleTitle(tools, workDir.path());
    }
    std::vector<WrittenFile> files;
    if (bench.empty()) {
      files = writeSampleDisc(title, out);
    } else {
      files.push_back(writeRepeatedTitle(title, bench, benchMib << 20));
    }
    std::fputs(describeSample(title, files).c_str(), stdout);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vantrel-make-sample: %s\n", error.what());
    return 1;
  }
  return 0;
}
