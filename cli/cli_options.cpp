#include "cli/cli_options.h"

#include <charconv>

#include "engine/stream_table.h"

namespace vantrel::cli {

namespace {

bool parseInt(const std::string& text, int& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool isCommand(const std::string& word) {
  return word == "read" || word == "demux" || word == "rebuild" || word == "xpl" || word == "vti" ||
         word == "titles" || word == "mkv";
}

}  // namespace

std::optional<std::vector<StreamChoice>> parseStreamList(const std::string& text) {
  std::vector<StreamChoice> choices;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (item.size() < 2) return std::nullopt;
    StreamChoice choice;
    choice.kind = item[0];
    int limit = choice.kind == 'v'   ? kVideoSlots
                : choice.kind == 'a' ? kAudioSlots
                : choice.kind == 's' ? kSubpictureSlots
                                     : 0;
    if (limit == 0 || !parseInt(item.substr(1), choice.slot) || choice.slot < 0 || choice.slot >= limit)
      return std::nullopt;
    choices.push_back(choice);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return choices;
}

std::optional<std::string> parseArguments(const std::vector<std::string>& args, CliOptions& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) -> bool {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "-o" || arg == "--output") {
      if (!value(o.outputFolder)) return "option " + arg + " needs a folder";
    } else if (arg == "--video-ext" || arg == "--audio-ext" || arg == "--sub-ext") {
      if (!value(text)) return "option " + arg + " needs an extension";
      (arg == "--video-ext" ? o.videoExt : arg == "--audio-ext" ? o.audioExt : o.subExt) = text;
    } else if (arg == "--no-continue") {
      o.continueChain = false;
    } else if (arg == "--continue") {
      o.continueChain = true;
    } else if (arg == "--full") {
      o.fullScan = true;
    } else if (arg == "--fast-size") {
      if (!value(text) || !parseInt(text, o.fastSizeMB) || o.fastSizeMB < 0 || o.fastSizeMB > 999)
        return "option --fast-size needs a number of MB from 0 to 999";
    } else if (arg == "--count-frames" || arg == "--no-count-frames") {
      o.countFrames = arg == "--count-frames";
    } else if (arg == "--details" || arg == "--no-details") {
      o.details = arg == "--details";
    } else if (arg == "--streams") {
      if (!value(text)) return "option --streams needs a list such as v0,a2,s1";
      o.streams = parseStreamList(text);
      if (!o.streams) return "bad stream list \"" + text + "\": use v0-v1, a0-a15 and s0-s31, separated by commas";
    } else if (arg == "--angle") {
      if (!value(text) || !parseInt(text, o.angle) || o.angle < 1 || o.angle > 9)
        return "option --angle needs an angle number from 1 to 9";
    } else if (arg == "--adv") {
      o.advancedPacks = true;
    } else if (arg == "--source") {
      if (!value(o.source)) return "option --source needs a file";
    } else if (arg == "--chapters") {
      o.chapters = true;
    } else if (arg == "--title") {
      int number = 0;
      if (!value(text) || !parseInt(text, number) || number < 1)
        return "option --title needs a title number from 1";
      o.title = number;
    } else if (arg == "--keep-streams") {
      o.keepStreams = true;
    } else if (arg == "--json") {
      o.json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (o.command.empty()) {
      if (!isCommand(arg)) return "unknown command \"" + arg + "\"";
      o.command = arg;
    } else {
      o.files.push_back(arg);
    }
  }
  if (o.help || o.version) return std::nullopt;
  if (o.command.empty()) return "no command given";
  if (o.files.size() != 1) return "the command " + o.command + " takes exactly one file";
  return std::nullopt;
}

std::string usageText() {
  return R"(Usage: vantrel-cli COMMAND FILE [options]

Takes apart the program streams of HD DVD (.EVO), DVD-Video (.VOB) and
DVD-Audio (.AOB) discs.

Commands:
  read FILE             catalogue and report the streams of the title
  demux FILE            read the title, then write the chosen streams to files
  rebuild FILE          read the title, then write a .rebuilt.EVO keeping the chosen streams
  xpl PLAYLIST          read an HD DVD playlist (VPLST000.XPL)
  vti FILE_OR_FOLDER    read an HD DVD title set information file (HVA00001.VTI)
  titles DISC           list every title of the disc's playlists (DISC: the disc
                        folder, its HVDVD_TS folder or a playlist)
  mkv DISC_OR_EVO       write a title as a Matroska file with mkvmerge: video,
                        audio with names, languages and syncs, chapters;
                        subpictures stay beside it as .sup files

Options:
  -o, --output DIR      output folder (default: the current folder)
  --video-ext EXT       extension of video outputs (default mpv)
  --audio-ext EXT       extension of audio outputs (default mpa)
  --sub-ext EXT         extension of subpicture outputs (default sup)
  --no-continue         do not continue with the next file of the title
                        (FEATURE_1.EVO -> FEATURE_2.EVO)
  --full                scan whole files (default: only the first 300 MB)
  --fast-size MB        size of the fast check (default 300)
  --no-count-frames     do not count video frames
  --no-details          do not report codec details
  --streams LIST        streams to write or keep, by slot: v0-v1, a0-a15, s0-s31,
                        e.g. v0,a2,s1 (default: every stream found)
  --angle N             demux, rebuild, mkv: the angle kept of interleaved angle
                        blocks (default 1)
  --adv                 rebuild: keep the advanced-content packs
  --source FILE         xpl: the source file whose title to keep
  --chapters            xpl: write the chapters of that title
  --title N             mkv: the title of the disc (default: the longest)
  --keep-streams        mkv: keep the demuxed streams (DIR/TITLE.streams)
  --json                print one JSON document of what the run found (files,
                        title, streams with their codec parameters, playlist,
                        title set, files written, errors) on standard output;
                        the log lines go to standard error
  -h, --help            show this help
  --version             show the version

Exit status: 0 success, 1 an error was reported, 2 bad usage,
130 interrupted (Ctrl-C stops at the next chunk; files written so far stay).
)";
}

}  // namespace vantrel::cli
