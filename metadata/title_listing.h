#pragma once

#include <string>
#include <vector>

#include "metadata/playlist_model.h"
#include "metadata/playlist_view.h"

namespace vantrel {

// One track the listing announces.
struct ListedTrack {
  TrackKind kind = TrackKind::Video;
  int slot = 0;            // track or stream number - 1
  std::string label;       // the stream box's caption: "DD+.6ch.s00.English"
  std::string langcode;    // from the title's TrackNavigationList, as written; may be empty
  std::string text;        // the tree's line and the box's hint: "DD+.6ch.s00.English [en]"
  bool operator==(const ListedTrack&) const = default;
};

// One chapter as listed: its name, its time code and that code as disc time.
struct ListedChapter {
  std::string name;
  std::string timeCode;
  std::string time;
  bool operator==(const ListedChapter&) const = default;
};

// What the listing of a title shows: the tree, the tracks (each once, the
// first tag naming a number decides its label), the chapters and their lines
// for the chapter file. A track, chapter or title without a text repeats the
// text of the one before it (a track's description, a chapter's name and
// time code).
struct TitleListing {
  std::vector<TreeNode> tree;
  std::vector<ListedTrack> tracks;
  std::vector<ListedChapter> chapters;
  std::vector<std::string> chapterLines;
};

// Track numbers that have a slot: video 1-16, audio 1-16, subtitles 1-32.
// Tracks with other numbers (a number that is not one counts as 0) are left out.
inline constexpr int kPlaylistVideoTracks = 16;
inline constexpr int kPlaylistAudioStreams = 16;
inline constexpr int kPlaylistSubtitleStreams = 32;

TitleListing listTitle(const PlaylistHeader& header, const PlaylistTitle& title,
                       const PlaylistView& tables);

}  // namespace vantrel
