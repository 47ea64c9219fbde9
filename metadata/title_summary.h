#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metadata/playlist_model.h"

namespace vantrel {

// What a disc's playlists say about its titles, in the terms of someone who
// wants to pick a title and mux it: the files it plays, its tracks with
// codec, description and language, its chapters on the disc clock.

struct TrackSummary {
  TrackKind kind = TrackKind::Video;
  int track = 0;   // the playlist's track number
  int stream = 0;  // the stream it plays: slot stream - 1 of its kind
  std::string codec;  // from the attribute item ("DD+", "MLP", "VC-1"); empty when none
  std::optional<int> channels;
  std::string description;  // empty when the playlist gives none
  std::string langcode;     // as written ("fr:01"); empty when none
  std::string language;     // its ISO 639-1 part ("fr", "*"); empty when none
  std::string matroskaLanguage;  // ISO 639-2/B ("fre", "und"); empty when unknown
};

struct ChapterSummary {
  std::string name;
  std::string timeCode;  // as written
  int64_t startMs = 0;   // disc time
};

struct TitleFile {
  std::string path;
  bool exists = false;
  std::optional<int64_t> beginMs;  // where its clip begins in the title, disc time
};

struct TitleSummary {
  int number = 0;
  std::string id;
  std::string name;  // displayName; empty when none
  std::optional<std::string> durationCode;
  int64_t durationMs = 0;  // disc time; 0 without a duration
  std::vector<TitleFile> files;  // the EVO files of its primary clips, in playing order
  std::vector<TrackSummary> tracks;  // each stream once: video, then audio, then subtitles
  std::vector<ChapterSummary> chapters;

  // The track that plays stream `slot` + 1 of a kind; null when none does.
  const TrackSummary* trackOf(TrackKind kind, int slot) const;
  // The name that names outputs: displayName, else id, else "Title N".
  std::string label() const;
};

struct PlaylistSummary {
  std::string path;
  int64_t size = 0;
  PlaylistHeader header;
  std::optional<XmlProblem> problem;
  std::vector<TitleSummary> titles;
};

// Where a disc keeps its playlists and its EVO files.
struct DiscFolders {
  std::string videoFolder;             // HVDVD_TS, ending in the separator
  std::vector<std::string> playlists;  // VPLST*.XPL of ADV_OBJ, by name
};

// PATH is a disc folder (holding ADV_OBJ and HVDVD_TS), its HVDVD_TS or
// ADV_OBJ folder, a playlist file or a file in one of those folders. No
// playlists: an empty list.
DiscFolders findDiscFolders(const std::string& path);

// The error when PATH holds no playlist.
std::string noPlaylistMessage(const std::string& path);

// Summarises a parsed playlist; EVO files are looked for in `videoFolder`.
PlaylistSummary summarisePlaylist(const Playlist& playlist, const std::string& videoFolder);

// Reads and summarises a playlist file; a file error raises FileError.
PlaylistSummary readPlaylistSummary(const std::string& path, const std::string& videoFolder);

}  // namespace vantrel
