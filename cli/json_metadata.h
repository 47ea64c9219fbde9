#pragma once

// What Read XPL and Read VTI parsed, as JSON values.

#include <string>
#include <vector>

#include "cli/json_details.h"
#include "metadata/playlist_model.h"
#include "metadata/title_listing.h"
#include "metadata/vti_layout.h"

namespace vantrel::cli {

std::string_view trackKindName(TrackKind kind);  // "video", "audio", "subtitle"

// The playlist, and when a title plays the source its name, duration,
// tracks with their labels and languages and chapters with their disc times.
Json playlistJson(const std::string& path, int64_t size, const Playlist& playlist,
                  const PlaylistTitle* title, const TitleListing* listing);

// The title set information: category, attribute table and its entries.
Json titleSetJson(const std::string& path, const VtiFile& vti);

}  // namespace vantrel::cli
