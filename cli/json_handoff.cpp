#include "cli/json_handoff.h"

#include "cli/json_metadata.h"

namespace vantrel::cli {

namespace {
Json trackJson(const TrackSummary& track) {
  Json j = Json::object();
  j["kind"] = trackKindName(track.kind);
  j["track"] = track.track;
  j["stream"] = track.stream;
  j["slot"] = track.stream - 1;
  if (!track.codec.empty()) j["codec"] = track.codec;
  if (track.channels) j["channels"] = *track.channels;
  if (!track.description.empty()) j["description"] = track.description;
  if (!track.langcode.empty()) {
    j["langcode"] = track.langcode;
    j["language"] = track.language;
    if (!track.matroskaLanguage.empty()) j["language_iso639_2"] = track.matroskaLanguage;
  }
  return j;
}

Json titleJson(const TitleSummary& title) {
  Json j = Json::object();
  j["number"] = title.number;
  if (!title.id.empty()) j["id"] = title.id;
  if (!title.name.empty()) j["name"] = title.name;
  if (title.durationCode) {
    j["duration_code"] = *title.durationCode;
    j["duration"] = double(title.durationMs) / 1000;
  }
  Json files = Json::array();
  for (const TitleFile& file : title.files) files.push_back({{"path", file.path}, {"exists", file.exists}});
  j["files"] = files;
  Json tracks = Json::array();
  for (const TrackSummary& track : title.tracks) tracks.push_back(trackJson(track));
  j["tracks"] = tracks;
  j["chapter_count"] = title.chapters.size();
  return j;
}
}  // namespace

Json playlistsJson(const std::vector<PlaylistSummary>& playlists) {
  Json list = Json::array();
  for (const PlaylistSummary& playlist : playlists) {
    Json j = Json::object();
    j["path"] = playlist.path;
    j["size"] = playlist.size;
    if (!playlist.header.title.empty()) j["name"] = playlist.header.title;
    j["time_base"] = playlist.header.timeBase;
    if (const auto& problem = playlist.problem)
      j["not_well_formed"] = {{"line", problem->line}, {"column", problem->column}, {"message", problem->message}};
    Json titles = Json::array();
    for (const TitleSummary& title : playlist.titles) titles.push_back(titleJson(title));
    j["titles"] = titles;
    list.push_back(std::move(j));
  }
  return list;
}

Json matroskaJson(const MatroskaResult& result) {
  const TitleSource& source = result.source;
  Json j = Json::object();
  if (!source.playlist.empty()) j["playlist"] = source.playlist;
  if (source.title) j["title_number"] = source.title->number;
  if (!source.label.empty()) j["title"] = source.label;
  j["source_files"] = source.files;
  j["written"] = result.written;
  if (const auto& plan = result.plan) {
    j["path"] = plan->output;
    Json tracks = Json::array();
    for (const PlannedTrack& track : plan->tracks) {
      Json t = Json::object();
      t["kind"] = kindInfo(track.kind).name;
      t["slot"] = track.slot;
      t["codec"] = codecInfo(track.codec).jsonName;
      t["file"] = track.file;
      if (!track.name.empty()) t["name"] = track.name;
      if (!track.language.empty()) t["language"] = track.language;
      t["sync_ms"] = track.syncMs;
      tracks.push_back(std::move(t));
    }
    j["tracks"] = tracks;
    Json chapters = Json::array();
    for (const PlannedChapter& chapter : plan->chapters)
      chapters.push_back({{"number", chapters.size() + 1}, {"name", chapter.name}, {"start", double(chapter.startMs) / 1000}});
    j["chapters"] = chapters;
    Json subpictures = Json::array();
    for (const KeptSubpicture& sub : plan->subpictures) {
      Json s = Json::object();
      s["slot"] = sub.slot;
      s["path"] = result.written ? sub.to : sub.from;
      if (!sub.description.empty()) s["description"] = sub.description;
      if (!sub.language.empty()) s["language"] = sub.language;
      subpictures.push_back(std::move(s));
    }
    j["subpictures"] = subpictures;
    Json leftOut = Json::array();
    for (const LeftOutStream& stream : plan->leftOut)
      leftOut.push_back({{"kind", kindInfo(stream.kind).name}, {"slot", stream.slot}, {"codec", codecInfo(stream.codec).jsonName},
                         {"reason", stream.reason}});
    j["left_out"] = leftOut;
  }
  if (!result.workFolder.empty()) {
    j["work_folder"] = result.workFolder;
    j["work_folder_kept"] = result.workFolderKept;
  }
  j["warnings"] = result.warnings;
  return j;
}

}  // namespace vantrel::cli
