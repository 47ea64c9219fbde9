#include <filesystem>

#include "cli/commands.h"
#include "cli/json_handoff.h"
#include "common/file_io.h"
#include "common/path_rules.h"
#include "handoff/matroska_job.h"
#include "metadata/disc_time.h"
#include "metadata/title_summary.h"

namespace vantrel::cli {

namespace {
std::string trackLine(const TrackSummary& track) {
  const char* kind = track.kind == TrackKind::Video   ? "Video"
                     : track.kind == TrackKind::Audio ? "Audio"
                                                      : "Subtitle";
  std::string line = std::string("   ") + kind + " [b]" + std::to_string(track.track) + "[/b]:";
  if (!track.codec.empty()) line += " " + track.codec;
  if (track.channels) line += " " + std::to_string(*track.channels) + "ch";
  if (!track.description.empty()) line += " \"" + track.description + "\"";
  if (!track.language.empty()) line += " [bl]" + track.language + "[/bl]";
  if (track.kind != TrackKind::Video) line += " (stream " + std::to_string(track.stream) + ")";
  return line;
}

void listTitle(CliContext& context, const TitleSummary& title) {
  Workspace& ws = context.ws;
  std::string head = "Title [b]" + std::to_string(title.number) + "[/b]: [b]" + title.label() + "[/b]";
  if (title.durationCode) head += ", [bl]" + clockText(title.durationMs) + "[/bl]";
  ws.host.log(head);
  std::string files;
  for (const TitleFile& file : title.files)
    files += (files.empty() ? "" : ", ") + fileNamePart(file.path) + (file.exists ? "" : " (missing)");
  ws.host.log("   Files: " + (files.empty() ? std::string("none") : files));
  for (const TitleFile& file : title.files)
    if (!file.exists)
      ws.logError("Title " + std::to_string(title.number) + " plays " + fileNamePart(file.path) +
                  ", which is missing (\"" + file.path + "\").");
  for (const TrackSummary& track : title.tracks) ws.host.log(trackLine(track));
  ws.host.log("   Chapters: [bl]" + std::to_string(title.chapters.size()) + "[/bl]");
}
}  // namespace

int runTitles(CliContext& context) {
  Workspace& ws = context.ws;
  const std::string& path = context.options.files.at(0);
  const DiscFolders disc = findDiscFolders(path);
  if (disc.playlists.empty()) {
    ws.logError(noPlaylistMessage(path));
    return 1;
  }
  std::vector<PlaylistSummary> playlists;
  for (const std::string& playlist : disc.playlists) {
    try {
      playlists.push_back(readPlaylistSummary(playlist, disc.videoFolder));
    } catch (const FileError& error) {
      ws.logError(error.what());
      continue;
    }
    const PlaylistSummary& summary = playlists.back();
    std::string head = "Playlist [b]" + summary.path + "[/b]";
    if (!summary.header.title.empty()) head += " \"" + summary.header.title + "\"";
    ws.host.log(head + ", " + std::to_string(summary.titles.size()) + " titles");
    if (summary.problem)
      ws.logError("The playlist is not well-formed XML: line " + std::to_string(summary.problem->line) +
                  ", column " + std::to_string(summary.problem->column) + ": " + summary.problem->message);
    for (const TitleSummary& title : summary.titles) listTitle(context, title);
    ws.host.log("");
  }
  if (context.report) context.report->setSection("playlists", playlistsJson(playlists));
  return ws.errorsLogged > 0 ? 1 : 0;
}

int runMkv(CliContext& context) {
  const CliOptions& o = context.options;
  prepareWorkspace(context, "");
  MatroskaRequest request;
  request.path = o.files.at(0);
  request.title = o.title;
  request.outputFolder = o.outputFolder;
  request.keepStreams = o.keepStreams;
  request.streamsChosen = o.streams.has_value();
  request.afterScan = [&context] {
    if (context.report) context.report->readFinished(context.ws);
    return !context.interrupted() && applyStreamChoice(context);
  };
  request.beforeDemux = [&context] {
    if (context.report) context.report->startWriting();
  };
  request.interrupted = context.interrupted;
  const MatroskaResult result = makeMatroska(context.ws, request);
  if (context.report) {
    context.report->clearOutputs();
    if (result.written) {
      auto size = [](const std::string& file) {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(file, error);
        return error ? int64_t(0) : int64_t(bytes);
      };
      context.report->outputClosed(result.plan->output, size(result.plan->output));
      for (const KeptSubpicture& sub : result.plan->subpictures)
        if (fileExists(sub.to)) context.report->outputClosed(sub.to, size(sub.to));
    }
    context.report->setSection("matroska", matroskaJson(result));
  }
  return result.written && context.ws.errorsLogged == 0 ? 0 : 1;
}

}  // namespace vantrel::cli
