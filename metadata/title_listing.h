#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "metadata/playlist_capture.h"
#include "metadata/playlist_view.h"

namespace vantrel {

// The lines [first, last] of the playlist listing that make up the title
// playing the source.
struct TitleRange {
  size_t first = 0;
  size_t last = 0;
  bool operator==(const TitleRange&) const = default;
};

// The element of the first title whose lines name the source (its file name
// without extension, case-sensitive). None when the name does not occur,
// occurs first in line 0, or no "<Title " line stands above it: a clip
// outside every title (a first-play clip) must not pick up the title that
// follows. A title whose closing tag is missing runs to the last line.
std::optional<TitleRange> findTitle(const std::vector<std::string>& lines,
                                    std::string_view sourceName);

enum class TrackKind { Video, Audio, Subtitle };

// The tags of the kept title that the listing uses, in document order.
struct TitleTag {
  std::string name;      // displayName
  std::string duration;  // titleDuration
  bool operator==(const TitleTag&) const = default;
};
struct TrackTag {
  TrackKind kind = TrackKind::Video;
  int number = 0;           // video "track", audio and subtitle "streamNumber"; 0 when missing
  int mediaAttr = 0;        // 0 when missing
  std::string description;  // audio and subtitle only
  bool operator==(const TrackTag&) const = default;
};
struct ChapterTag {
  std::string name;  // displayName
  std::string time;  // titleTimeBegin, as written
  bool operator==(const ChapterTag&) const = default;
};
using TitleEntry = std::variant<TitleTag, TrackTag, ChapterTag>;

// Reads the tags of the kept title's lines. Texts missing from a tag repeat
// the value of the tag before it.
std::vector<TitleEntry> parseTitle(const std::vector<std::string>& lines);

// One track the listing announces.
struct ListedTrack {
  TrackKind kind = TrackKind::Video;
  int slot = 0;  // track or stream number - 1
  std::string label;
  bool operator==(const ListedTrack&) const = default;
};

// What the listing of a title shows: the tree, the tracks (each once, the
// first tag naming a number decides its label) and the chapter lines.
struct TitleListing {
  std::vector<TreeNode> tree;
  std::vector<ListedTrack> tracks;
  std::vector<std::string> chapterLines;
};

// Track numbers that have a slot: video 1-16, audio 1-16, subtitles 1-32.
// Tags with other numbers (a missing number counts as 0) are left out.
inline constexpr int kPlaylistVideoTracks = 16;
inline constexpr int kPlaylistAudioStreams = 16;
inline constexpr int kPlaylistSubtitleStreams = 32;

TitleListing listTitle(const PlaylistHeader& header, const std::vector<TitleEntry>& entries,
                       const PlaylistView& tables);

}  // namespace vantrel
