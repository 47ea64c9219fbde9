#include "metadata/playlist_reader.h"

#include <memory>
#include <string>

#include "common/path_rules.h"
#include "metadata/attribute_table.h"
#include "metadata/playlist_model.h"
#include "metadata/tag_scanner.h"
#include "metadata/title_listing.h"

namespace vantrel {

namespace {
constexpr int kXplPage = 4;
// Real playlists hold a few hundred kilobytes at most; a huge file of junk
// (each "<" a tag, each line indented) must not take all memory, neither as
// listing nor as bytes kept for the parser.
constexpr size_t kMaxListingBytes = 64u << 20;

std::string sizeText(int64_t bytes) {
  return std::to_string(bytes) + " bytes";
}

// What reading the file gave: its bytes, and where each listed line's tag ends.
struct ScannedPlaylist {
  int64_t size = 0;
  std::string bytes;
  std::vector<uint64_t> tagEnds;  // one per line of mXPL
  bool whole = true;              // false when the listing stopped early
};

ScannedPlaylist scanPlaylist(Workspace& ws, PlaylistView& view) {
  ProcessingState& state = ws.session.state;
  const std::unique_ptr<InputFile> file = InputFile::open(ws.paths.eXPLfile);
  InputFile& in = *file;
  ws.host.log("Open " + ws.paths.PlaylistFileName);
  ws.host.log("Filesize: " + sizeText(in.size()));

  view.mXPL.clear();
  view.mChapter.clear();
  ScannedPlaylist scanned;
  size_t listed = 0;
  TagScanner scanner([&](std::string_view line) {
    if (listed > kMaxListingBytes) return;
    listed += line.size();
    view.mXPL.emplace_back(line);
    scanned.tagEnds.push_back(scanner.tagEnd());
  });
  uint8_t* chunk = state.ChunkBuffer.get();
  for (;;) {
    const size_t got = in.read(chunk, kChunkSize);
    scanner.scan(chunk, got);
    scanned.bytes.append(reinterpret_cast<const char*>(chunk), got);
    ws.host.slog(std::to_string(in.position()) + "/" + sizeText(in.size()), 1);
    if (listed > kMaxListingBytes || scanned.bytes.size() > kMaxListingBytes) {
      ws.logError("The playlist is too large: its listing stops after " +
                  std::to_string(kMaxListingBytes >> 20) + " MiB.");
      scanned.whole = false;
      break;
    }
    if (got < kChunkSize) break;  // the last chunk, even if the file grows meanwhile
  }
  scanned.size = in.size();
  return scanned;
}

// Keeps the lines whose tags lie inside the title's element.
void keepOnly(std::vector<std::string>& lines, const std::vector<uint64_t>& tagEnds,
              const PlaylistTitle& title) {
  std::vector<std::string> kept;
  for (size_t i = 0; i < lines.size(); ++i)
    if (tagEnds[i] >= title.begin && tagEnds[i] < title.end) kept.push_back(std::move(lines[i]));
  lines = std::move(kept);
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
        box = StreamBox{true, true, track.label, track.text};
        break;
      }
      case TrackKind::Subtitle: {
        state.SubpictureStreamId[size_t(track.slot)] = 1;
        StreamBox& box = ws.boxes.subpicture[size_t(track.slot)];
        box = StreamBox{true, true, track.label, track.text};
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

  ScannedPlaylist scanned;
  try {
    scanned = scanPlaylist(ws, view);
  } catch (...) {
    // The error goes on to the front end; the buttons must not stay dead.
    giveButtonsBack();
    throw;
  }

  // A playlist cut short by the size limit is not parsed: what it would give is
  // a guess.
  Playlist playlist;
  if (scanned.whole) playlist = parsePlaylist(scanned.bytes);
  scanned.bytes = std::string();
  if (const auto& problem = playlist.problem) {
    // Read on past the fault: the user still gets what the rest of the file says.
    ws.host.log("[re]The playlist is not well-formed at line " + std::to_string(problem->line) +
                ", column " + std::to_string(problem->column) + ": " + problem->message +
                ".[/re]");
  }
  applyAttributeItems(playlist.items, view);
  ws.session.state.resetCatalogue();
  ws.catalogueOrigin = CatalogueOrigin::ReadXpl;

  const std::string sourceName = CutExt(fileNamePart(ws.paths.eEVOfile));
  const PlaylistTitle* title = titlePlaying(playlist, sourceName);
  if (title) {
    keepOnly(view.mXPL, scanned.tagEnds, *title);
    TitleListing listing = listTitle(playlist.header, *title, view);
    if (observer) observer->playlistRead(ws.paths.eXPLfile, scanned.size, playlist, title, &listing);
    view.tvXPL = std::move(listing.tree);
    view.mChapter = std::move(listing.chapterLines);
    announceTracks(ws, listing.tracks);
  } else if (observer) {
    observer->playlistRead(ws.paths.eXPLfile, scanned.size, playlist, nullptr, nullptr);
  }

  ws.logDone();
  giveButtonsBack();
}

}  // namespace vantrel
