#include "metadata/attribute_table.h"

namespace vantrel {

namespace {
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

void applyAttributeItems(const std::vector<AttributeItem>& items, PlaylistView& view) {
  std::string codec;
  std::string channels;
  for (const AttributeItem& item : items) {
    if (item.codec) codec = *item.codec;
    if (item.kind == MediaKind::Audio && item.channels) channels = *item.channels;
    if (item.index < 1 || item.index > kAttributeTableSize) continue;
    std::string entry = codec;
    if (item.kind == MediaKind::Audio && !channels.empty()) entry += "." + channels + "ch";
    tableOf(view, item.kind)[size_t(item.index - 1)] = std::move(entry);
  }
}

const std::string& attributeName(const AttributeTable& table, int mediaAttr) {
  static const std::string kNone;
  if (mediaAttr < 1 || mediaAttr > kAttributeTableSize) return kNone;
  return table[size_t(mediaAttr - 1)];
}

}  // namespace vantrel
