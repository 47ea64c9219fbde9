#pragma once

#include <string>
#include <vector>

#include "metadata/playlist_model.h"
#include "metadata/playlist_view.h"

namespace vantrel {

// Stores each attribute item in its table as "<codec>", for audio followed by
// ".<channels>ch" when the channels are known. An item without codec or
// channels repeats the value of the item before it. Items whose index lies
// outside 1 to 8 have no entry and are skipped.
void applyAttributeItems(const std::vector<AttributeItem>& items, PlaylistView& view);

// The table entry for a "mediaAttr" number; empty outside 1 to 8.
const std::string& attributeName(const AttributeTable& table, int mediaAttr);

}  // namespace vantrel
