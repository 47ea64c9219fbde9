#include "metadata/playlist_reader.h"

#include <memory>
#include <string>

#include "common/path_rules.h"
#include "metadata/playlist_capture.h"
#include "metadata/tag_scanner.h"
#include "metadata/title_listing.h"

namespace vantrel {

namespace {
constexpr int kXplPage = 4;
// Real playlists list a few hundred kilobytes at most; a huge file of junk
// (each "<" a tag, each line indented) must not take all memory.
constexpr size_t kMaxListingBytes = 64u << 20;

std::string sizeText(int64_t bytes) {
  return std::to_string(bytes) + " bytes";
}

// Returns the size of the playlist file.
int64_t scanPlaylist(Workspace& ws, PlaylistView& view, PlaylistCapture& capture) {
  ProcessingState& state = ws.session.state;
  const std::unique_ptr<InputFile> file = InputFile::open(ws.paths.eXPLfile);
  InputFile& in = *file;
  ws.host.log("Open " + ws.paths.PlaylistFileName);
  ws.host.log("Filesize: " + sizeText(in.size()));

  view.mXPL.clear();
  view.mChapter.clear();
  size_t listed = 0;
  TagScanner scanner([&](std::string_view line) {
    if (listed > kMaxListingBytes) return;
    listed += line.size();
    view.mXPL.emplace_back(line);
    capture.capture(line);
  });
  uint8_t* chunk = state.ChunkBuffer.get();
  for (;;) {
    const size_t got = in.read(chunk, kChunkSize);
    scanner.scan(chunk, got);
    ws.host.slog(std::to_string(in.position()) + "/" + sizeText(in.size()), 1);
    if (listed > kMaxListingBytes) {
      ws.logError("The playlist is too large: its listing stops after " +
                  std::to_string(kMaxListingBytes >> 20) + " MiB.");
      break;
    }
    if (got < kChunkSize) break;  // the last chunk, even if the file grows meanwhile
  }
  return in.size();
}

void keepOnly(std::vector<std::string>& lines, const TitleRange& range) {
  lines.erase(lines.begin() + std::ptrdiff_t(range.last) + 1, lines.end());
  lines.erase(lines.begin(), lines.begin() + std::ptrdiff_t(range.first));
}

// Marks, logs and captions the listed tracks; ticking a box runs the shared
// click rule as a user's click would.
void announceTracks(Workspace& ws, const std::vector<ListedTrack>& tracks) {
  ProcessingState& state = ws.session.state;
  for (const ListedTrack& track : tracks) {
    ws.host.log(track.label + " found!");
    switch (track.kind) {
      case TrackKind::Video:
        if (track.slot < kVideoSlots) state.VideoStreamId[size_t(track.slot)] = 1;
        if (track.slot == 0) {
          StreamBox& box = ws.boxes.video[0];
          box.enabled = true;
          box.ticked = true;
          box.caption = track.label;
        }
        break;
      case TrackKind::Audio: {
        state.AudioStreamId[size_t(track.slot)] = 1;
        StreamBox& box = ws.boxes.audio[size_t(track.slot)];
        box = StreamBox{true, true, track.label, track.label};
        break;
      }
      case TrackKind::Subtitle: {
        state.SubpictureStreamId[size_t(track.slot)] = 1;
        StreamBox& box = ws.boxes.subpicture[size_t(track.slot)];
        box = StreamBox{true, true, track.label, track.label};
        break;
      }
    }
  }
  updateOperationButtons(ws.boxes, ws.buttons, ws.paths.eEVOfile);
}
}  // namespace

void readPlaylist(Workspace& ws, PlaylistView& view, MetadataObserver* observer) {
  OperationButtons& buttons = ws.buttons;
  Resetcbs(ws.boxes, buttons, ws.paths.eEVOfile);
  const bool readEvoWasEnabled = buttons.readEVO;
  buttons.readXPL = false;
  buttons.readEVO = false;
  buttons.browseEVO = false;
  buttons.browseXPL = false;
  ws.notifyControls();
  ws.host.showPage(kXplPage);

  auto giveButtonsBack = [&] {
    buttons.readXPL = true;
    buttons.readEVO = readEvoWasEnabled;
    buttons.writeChaps = !view.mChapter.empty();
    buttons.browseEVO = true;
    buttons.browseXPL = true;
    ws.notifyControls();
  };

  PlaylistCapture capture;
  int64_t size = 0;
  try {
    size = scanPlaylist(ws, view, capture);
  } catch (...) {
    // The error goes on to the front end; the buttons must not stay dead.
    giveButtonsBack();
    throw;
  }

  applyAttributeItems(capture.items(), view);
  ws.session.state.resetCatalogue();
  ws.catalogueOrigin = CatalogueOrigin::ReadXpl;

  const std::string sourceName = CutExt(fileNamePart(ws.paths.eEVOfile));
  if (const auto range = findTitle(view.mXPL, sourceName)) {
    keepOnly(view.mXPL, *range);
    const std::vector<TitleEntry> entries = parseTitle(view.mXPL);
    TitleListing listing = listTitle(capture.header(), entries, view);
    if (observer)
      observer->playlistRead(ws.paths.eXPLfile, size, capture.header(), &entries, &listing);
    view.tvXPL = std::move(listing.tree);
    view.mChapter = std::move(listing.chapterLines);
    announceTracks(ws, listing.tracks);
  } else if (observer) {
    observer->playlistRead(ws.paths.eXPLfile, size, capture.header(), nullptr, nullptr);
  }

  ws.logDone();
  giveButtonsBack();
}

}  // namespace vantrel
