#include "metadata/playlist_capture.h"

#include "metadata/attribute_lookup.h"

namespace vantrel {

namespace {
bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

AttributeTable& tableOf(PlaylistView& view, MediaKind kind) {
  switch (kind) {
    case MediaKind::Video:
      return view.VideoAttributeTable;
    case MediaKind::Audio:
      return view.AudioAttributeTable;
    case MediaKind::Subpicture:
      break;
  }
  return view.SubpictureAttributeTable;
}
}  // namespace

void PlaylistCapture::capture(std::string_view tagLine) {
  // Case-sensitive on purpose: these are the element names as the format
  // spells them.
  if (contains(tagLine, "Playlist")) GetAttr(tagLine, "displayName", header_.title);
  if (contains(tagLine, "TitleSet")) {
    GetAttr(tagLine, "timeBase", header_.timeBase);
    GetAttr(tagLine, "tickBase", header_.tickBase);
  }
  if (contains(tagLine, "VideoAttributeItem")) captureItem(tagLine, MediaKind::Video);
  if (contains(tagLine, "AudioAttributeItem")) captureItem(tagLine, MediaKind::Audio);
  if (contains(tagLine, "SubpictureAttributeItem")) captureItem(tagLine, MediaKind::Subpicture);
}

void PlaylistCapture::captureItem(std::string_view tagLine, MediaKind kind) {
  AttributeItem item;
  item.kind = kind;
  item.index = GetAttrInt(tagLine, "index");
  GetAttr(tagLine, "codec", codec_);
  item.codec = codec_;
  if (kind == MediaKind::Audio) {
    GetAttr(tagLine, "channels", channels_);
    item.channels = channels_;
  }
  items_.push_back(std::move(item));
}

std::string attributeTableEntry(const AttributeItem& item) {
  if (item.kind == MediaKind::Audio && !item.channels.empty())
    return item.codec + "." + item.channels + "ch";
  return item.codec;
}

void applyAttributeItems(const std::vector<AttributeItem>& items, PlaylistView& view) {
  for (const AttributeItem& item : items) {
    if (item.index < 1 || item.index > kAttributeTableSize) continue;
    tableOf(view, item.kind)[size_t(item.index - 1)] = attributeTableEntry(item);
  }
}

const std::string& attributeName(const AttributeTable& table, int mediaAttr) {
  static const std::string kNone;
  if (mediaAttr < 1 || mediaAttr > kAttributeTableSize) return kNone;
  return table[size_t(mediaAttr - 1)];
}

}  // namespace vantrel
