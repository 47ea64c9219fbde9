#include "handoff/title_source.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "workspace/title_chain.h"

namespace vantrel {

namespace {
bool sameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const auto identity = identityOf(a);
  return identity && identity == identityOf(b);
}

std::string fileList(const std::vector<std::string>& files) {
  std::string text;
  for (const std::string& file : files) text += (text.empty() ? "" : ", ") + fileNamePart(file);
  return text;
}

std::vector<PlaylistSummary> readPlaylists(const DiscFolders& disc, std::string& error) {
  std::vector<PlaylistSummary> playlists;
  for (const std::string& path : disc.playlists) {
    try {
      playlists.push_back(readPlaylistSummary(path, disc.videoFolder));
    } catch (const FileError& e) {
      error = e.what();
    }
  }
  return playlists;
}

// The chosen title of a disc: number `number` of the first playlist that
// has one, or the longest title.
void chooseTitle(TitleSource& source, const std::vector<PlaylistSummary>& playlists,
                 std::optional<int> number) {
  const TitleSummary* chosen = nullptr;
  std::string numbers;
  for (const PlaylistSummary& playlist : playlists) {
    for (const TitleSummary& title : playlist.titles) {
      numbers += (numbers.empty() ? "" : ", ") + std::to_string(title.number);
      const bool better = number ? title.number == *number && !chosen
                                 : !chosen || title.durationMs > chosen->durationMs;
      if (!better) continue;
      chosen = &title;
      source.playlist = playlist.path;
    }
  }
  if (!chosen) {
    source.error = numbers.empty() ? "The playlist holds no title."
                                   : "The disc has no title " + std::to_string(number.value_or(0)) +
                                         " (its titles: " + numbers + ").";
    return;
  }
  source.title = *chosen;
  for (const TitleFile& file : chosen->files) source.files.push_back(file.path);
}

// An .EVO file: its chain, named by the title that starts with it.
void fromEvoFile(TitleSource& source, const std::string& path) {
  source.files = titleChain(path, true);
  source.label = CutExt(fileNamePart(path));
  std::string ignored;
  for (const PlaylistSummary& playlist : readPlaylists(findDiscFolders(folderPart(path)), ignored)) {
    for (const TitleSummary& title : playlist.titles) {
      if (title.files.empty() || !sameFile(title.files.front().path, path)) continue;
      source.title = title;
      source.playlist = playlist.path;
      source.files.clear();
      for (const TitleFile& file : title.files) source.files.push_back(file.path);
      return;
    }
  }
}

void checkFiles(TitleSource& source) {
  const std::string what = source.title ? "Title " + std::to_string(source.title->number) : "The title";
  if (source.files.empty()) {
    source.error = what + " plays no EVO file.";
    return;
  }
  for (const std::string& file : source.files) {
    if (!fileExists(file)) {
      source.error = what + " plays " + fileNamePart(file) + ", which is missing (\"" + file + "\").";
      return;
    }
  }
  const std::vector<std::string> chain = titleChain(source.files.front(), true);
  size_t follow = 1;  // files at the start that the chain reads in the title's order
  while (follow < std::min(chain.size(), source.files.size()) && sameFile(chain[follow], source.files[follow]))
    ++follow;
  if (follow > 1 && follow < chain.size()) {
    // Demux would read on into a file the title does not play.
    source.error = what + " plays " + fileList(source.files) + ", but Demux reads " + fileList(chain) +
                   " one after the other.";
    return;
  }
  source.leftOutFiles.assign(source.files.begin() + long(follow), source.files.end());
  source.files.resize(follow);
  if (source.title && !source.leftOutFiles.empty()) source.endMs = source.title->files[follow].beginMs;
}
}  // namespace

TitleSource findTitleSource(const std::string& path, std::optional<int> number) {
  TitleSource source;
  if (fileExists(path) && upperExtensionOf(path) == ".EVO") {
    fromEvoFile(source, path);
  } else if (fileExists(path) || folderExists(path)) {
    const DiscFolders disc = findDiscFolders(path);
    if (disc.playlists.empty()) {
      source.error = noPlaylistMessage(path);
      return source;
    }
    const std::vector<PlaylistSummary> playlists = readPlaylists(disc, source.error);
    if (!source.error.empty()) return source;
    chooseTitle(source, playlists, number);
    if (!source.error.empty()) return source;
  } else {
    source.error = "Cannot open \"" + path + "\": no such file or folder.";
    return source;
  }
  if (source.title) source.label = source.title->label();
  checkFiles(source);
  return source;
}

}  // namespace vantrel
