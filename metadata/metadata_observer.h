#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metadata/playlist_model.h"
#include "metadata/title_listing.h"
#include "metadata/vti_layout.h"

namespace vantrel {

// Hears what Read XPL and Read VTI parsed, as the structs their reports are
// made from (for front ends that want data rather than text).
class MetadataObserver {
 public:
  virtual ~MetadataObserver() = default;

  // Read XPL read the playlist at `path`. `title` (the title that plays the
  // source) and `listing` (what the window shows of it) are null when no
  // title does.
  virtual void playlistRead(const std::string& path, int64_t size, const Playlist& playlist,
                            const PlaylistTitle* title, const TitleListing* listing) {
    (void)path;
    (void)size;
    (void)playlist;
    (void)title;
    (void)listing;
  }
  // Read VTI read the title set information file at `path`.
  virtual void titleSetRead(const std::string& path, const VtiFile& vti) {
    (void)path;
    (void)vti;
  }
};

}  // namespace vantrel
