#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metadata/playlist_view.h"

namespace vantrel {

// Values of the "Playlist" and "TitleSet" tags.
struct PlaylistHeader {
  std::string title;     // Playlist displayName
  std::string timeBase;  // TitleSet timeBase
  std::string tickBase;  // TitleSet tickBase
  bool operator==(const PlaylistHeader&) const = default;
};

enum class MediaKind { Video, Audio, Subpicture };

// One VideoAttributeItem, AudioAttributeItem or SubpictureAttributeItem.
struct AttributeItem {
  MediaKind kind = MediaKind::Video;
  int index = 0;  // 0 when missing or not a number
  std::string codec;
  std::string channels;
  bool operator==(const AttributeItem&) const = default;
};

// Collects, tag line by tag line, what the reader keeps from the whole
// document. A tag without an attribute repeats the value of the tag before
// it (the closing "</Playlist>" must not wipe the playlist title), so the
// values live in slots for the whole run.
class PlaylistCapture {
 public:
  void capture(std::string_view tagLine);

  const PlaylistHeader& header() const { return header_; }
  const std::vector<AttributeItem>& items() const { return items_; }

 private:
  void captureItem(std::string_view tagLine, MediaKind kind);

  PlaylistHeader header_;
  std::string codec_;
  std::string channels_;
  std::vector<AttributeItem> items_;
};

// The table entry an item defines: the codec, for audio followed by
// ".<channels>ch" when the channels are known.
std::string attributeTableEntry(const AttributeItem& item);

// Stores each item in its table. Items whose index lies outside 1 to 8 have
// no entry and are skipped.
void applyAttributeItems(const std::vector<AttributeItem>& items, PlaylistView& view);

// The table entry for a "mediaAttr" number; empty outside 1 to 8.
const std::string& attributeName(const AttributeTable& table, int mediaAttr);

}  // namespace vantrel
