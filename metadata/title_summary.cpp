#include "metadata/title_summary.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "metadata/disc_time.h"
#include "metadata/languages.h"

namespace vantrel {

namespace {
namespace fs = std::filesystem;

// Playlists hold a few hundred kilobytes; more is not a playlist.
constexpr int64_t kMaxPlaylistBytes = 64 << 20;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string withSeparator(std::string folder) {
  if (!folder.empty() && !isPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

// The entry of `folder` whose name is `name` in any case; "" when none.
std::string entryNamed(const std::string& folder, std::string_view name) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string found = entry.path().filename().string();
    if (upper(found) == upper(name)) return withSeparator(folder) + found;
  }
  return {};
}

std::vector<std::string> playlistsIn(const std::string& objectFolder) {
  std::vector<std::string> found;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(objectFolder, error)) {
    const std::string name = upper(entry.path().filename().string());
    if (name.starts_with("VPLST") && name.ends_with(".XPL") && entry.is_regular_file(error))
      found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::optional<int> channelCount(const std::optional<std::string>& text) {
  if (!text || text->empty() || text->size() > 2) return std::nullopt;
  int value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

MediaKind mediaKindOf(TrackKind kind) {
  switch (kind) {
    case TrackKind::Video:
      return MediaKind::Video;
    case TrackKind::Audio:
      return MediaKind::Audio;
    case TrackKind::Subtitle:
      break;
  }
  return MediaKind::Subpicture;
}

// The attribute item a track names; a later item of the same index wins.
const AttributeItem* itemOf(const Playlist& playlist, const PlaylistTrack& track) {
  const AttributeItem* found = nullptr;
  for (const AttributeItem& item : playlist.items)
    if (item.kind == mediaKindOf(track.kind) && item.index == track.mediaAttr) found = &item;
  return found;
}

bool playsMainVideo(const PlaylistTitle& title, const PlaylistTrack& track) {
  return !track.clip || title.clips[*track.clip].element == "PrimaryAudioVideoClip";
}

TrackSummary trackSummary(const Playlist& playlist, const PlaylistTitle& title,
                          const PlaylistTrack& track) {
  TrackSummary summary;
  summary.kind = track.kind;
  summary.track = track.track;
  summary.stream = track.stream;
  if (const AttributeItem* item = itemOf(playlist, track)) {
    summary.codec = item->codec.value_or("");
    summary.channels = channelCount(item->channels);
  }
  const TrackLanguage* language =
      track.kind == TrackKind::Video ? nullptr : languageOf(title, track.kind, track.track);
  summary.description = track.description.value_or(
      language && language->description ? *language->description : std::string());
  if (language) {
    summary.langcode = language->langcode;
    summary.language = langcodeLanguage(summary.langcode);
    summary.matroskaLanguage = matroskaLanguage(summary.language);
  }
  return summary;
}

// The EVO file of a clip: its time map's name with ".EVO", beside the others.
std::string evoFileOf(const PlaylistClip& clip, const std::string& videoFolder) {
  const std::string base = CutExt(clip.src.substr(clip.src.find_last_of("/\\") + 1));
  const std::string path = videoFolder + base + ".EVO";
  if (fileExists(path)) return path;
  // Copies made on some systems keep the names in lower case.
  const std::string lower = videoFolder + base + ".evo";
  return fileExists(lower) ? lower : path;
}

TitleSummary titleSummary(const Playlist& playlist, const PlaylistTitle& title,
                          const std::string& videoFolder) {
  const TimeBase base = timeBaseOf(playlist.header.timeBase);
  TitleSummary summary;
  summary.number = title.number;
  summary.id = title.id.value_or("");
  summary.name = title.name.value_or("");
  summary.durationCode = title.duration;
  if (title.duration) summary.durationMs = discMilliseconds(*title.duration, base);
  for (const PlaylistClip& clip : title.clips) {
    if (clip.element != "PrimaryAudioVideoClip") continue;
    const std::string path = evoFileOf(clip, videoFolder);
    // A clip repeated right after itself plays the same file on.
    if (!summary.files.empty() && summary.files.back().path == path) continue;
    std::optional<int64_t> begin;
    if (clip.titleTimeBegin) begin = discMilliseconds(*clip.titleTimeBegin, base);
    summary.files.push_back({path, fileExists(path), begin});
  }
  for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subtitle}) {
    for (const PlaylistTrack& track : title.tracks) {
      if (track.kind != kind || !playsMainVideo(title, track) || track.stream < 1) continue;
      if (summary.trackOf(kind, track.stream - 1)) continue;  // the first tag decides
      summary.tracks.push_back(trackSummary(playlist, title, track));
    }
  }
  ChapterSummary chapter;
  for (const PlaylistChapter& tag : title.chapters) {
    // A chapter without a name or time repeats the one before, as the tree shows it.
    if (tag.name) chapter.name = *tag.name;
    if (tag.time) chapter.timeCode = *tag.time;
    chapter.startMs = discMilliseconds(chapter.timeCode, base);
    summary.chapters.push_back(chapter);
  }
  return summary;
}
}  // namespace

const TrackSummary* TitleSummary::trackOf(TrackKind kind, int slot) const {
  for (const TrackSummary& track : tracks)
    if (track.kind == kind && track.stream == slot + 1) return &track;
  return nullptr;
}

std::string TitleSummary::label() const {
  if (!name.empty()) return name;
  if (!id.empty()) return id;
  return "Title " + std::to_string(number);
}

DiscFolders findDiscFolders(const std::string& path) {
  DiscFolders disc;
  if (fileExists(path) && upper(extensionOf(path)) != ".XPL") {
    const std::string folder = folderPart(path);
    return findDiscFolders(folder.empty() ? "." : folder);
  }
  if (fileExists(path)) {
    disc.playlists.push_back(path);
    std::string folder = folderPart(path);
    if (folder.empty()) folder = std::string(".") + kPathSeparator;
    const std::string parent = fs::path(folder).parent_path().parent_path().string();
    const std::string video = entryNamed(parent.empty() ? "." : parent, "HVDVD_TS");
    disc.videoFolder = withSeparator(video.empty() ? folder : video);
    return disc;
  }
  if (!folderExists(path)) return disc;
  // A disc folder holds ADV_OBJ; from HVDVD_TS or ADV_OBJ the disc is one up.
  std::string top = path;
  std::error_code error;
  fs::path normal = fs::absolute(path, error).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();  // "HVDVD_TS/"
  const std::string name = upper(normal.filename().string());
  if (entryNamed(path, "ADV_OBJ").empty() && (name == "HVDVD_TS" || name == "ADV_OBJ"))
    top = (fs::path(path) / "..").lexically_normal().string();
  const std::string objects = entryNamed(top, "ADV_OBJ");
  const std::string video = entryNamed(top, "HVDVD_TS");
  disc.videoFolder = withSeparator(video.empty() ? top + kPathSeparator + "HVDVD_TS" : video);
  if (!objects.empty()) disc.playlists = playlistsIn(objects);
  return disc;
}

std::string noPlaylistMessage(const std::string& path) {
  return "No playlist in \"" + path + "\": a disc folder holds ADV_OBJ/VPLST000.XPL.";
}

PlaylistSummary summarisePlaylist(const Playlist& playlist, const std::string& videoFolder) {
  PlaylistSummary summary;
  summary.header = playlist.header;
  summary.problem = playlist.problem;
  for (const PlaylistTitle& title : playlist.titles)
    summary.titles.push_back(titleSummary(playlist, title, withSeparator(videoFolder)));
  return summary;
}

PlaylistSummary readPlaylistSummary(const std::string& path, const std::string& videoFolder) {
  auto in = InputFile::open(path);
  if (in->size() > kMaxPlaylistBytes)
    throw FileError("Cannot read file \"" + path + "\". It is too large for a playlist.");
  std::string bytes(size_t(in->size()), '\0');
  bytes.resize(in->read(bytes.data(), bytes.size()));
  PlaylistSummary summary = summarisePlaylist(parsePlaylist(bytes), videoFolder);
  summary.path = path;
  summary.size = int64_t(bytes.size());
  return summary;
}

}  // namespace vantrel
