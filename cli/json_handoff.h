#pragma once

// The titles of a disc and a Matroska hand-off, as JSON values.

#include <vector>

#include "cli/json_details.h"
#include "handoff/matroska_job.h"
#include "metadata/title_summary.h"

namespace vantrel::cli {

// `playlists` of `vantrel-cli titles --json`.
Json playlistsJson(const std::vector<PlaylistSummary>& playlists);

// `matroska` of `vantrel-cli mkv --json`.
Json matroskaJson(const MatroskaResult& result);

}  // namespace vantrel::cli
