#include "cli/json_report.h"

#include <algorithm>

#include "cli/json_metadata.h"
#include "common/version.h"

namespace vantrel::cli {

namespace {

// Bumped when a key changes its meaning or goes away.
constexpr int kReportVersion = 1;

}  // namespace

JsonReport::JsonReport(std::string command, std::string source)
    : command_(std::move(command)), source_(std::move(source)) {}

void JsonReport::fileOpened(const std::string& path, int64_t size) {
  if (writing_) return;
  Json file = Json::object();
  file["path"] = path;
  file["size"] = size;
  files_.push_back(std::move(file));
  streams_.clear();  // the catalogue describes the last file only
}

void JsonReport::navigationRead(const NavigationInfo& nav, int videoCount, int audioCount,
                                double durationSeconds) {
  if (writing_ || files_.empty()) return;
  const Json fields = navigationJson(nav, videoCount, audioCount, durationSeconds);
  for (const auto& [key, value] : fields.items()) files_.back()[key] = value;
}

void JsonReport::copyControlRead(const CopyControlInfo& cc) {
  if (writing_ || files_.empty()) return;
  files_.back()["copy_control"] = copyControlJson(cc);
}

JsonReport::StreamFacts* JsonReport::streamAt(StreamKind kind, int slot) {
  for (StreamFacts& s : streams_)
    if (s.found.kind == kind && s.found.slot == slot) return &s;
  return nullptr;
}

void JsonReport::streamFound(const FoundStream& stream) {
  if (writing_ || streamAt(stream.kind, stream.slot)) return;
  streams_.push_back({stream, {}, std::nullopt, Json::object()});
}

void JsonReport::streamDetails(const StreamStart& start, const StreamAnalysis& analysis) {
  if (writing_) return;
  StreamFacts* s = streamAt(start.kind, start.slot);
  if (!s) return;
  s->start = start;
  s->details = detailsJson(analysis);
}

void JsonReport::streamNotWritten(const MetStream& met) {
  Json j = Json::object();
  j["kind"] = kindInfo(met.stream.kind).name;
  j["slot"] = met.stream.slot;
  j["id"] = met.stream.id;
  j["codec"] = codecInfo(met.stream.codec).jsonName;
  j["file"] = met.file;
  j["position"] = met.position;
  notWritten_.push_back(std::move(j));
}

void JsonReport::outputCreated(const std::string& path) {
  outputs_.push_back({path, std::nullopt});
}

void JsonReport::outputClosed(const std::string& path, int64_t bytes) {
  for (auto it = outputs_.rbegin(); it != outputs_.rend(); ++it) {
    if (it->path == path && !it->bytes) {
      it->bytes = bytes;
      return;
    }
  }
  outputs_.push_back({path, bytes});
}

void JsonReport::outputRemoved(const std::string& path) {
  std::erase_if(outputs_, [&](const auto& output) { return output.path == path; });
}

void JsonReport::errorReported(std::string_view message) {
  errors_.emplace_back(message);
}

void JsonReport::playlistRead(const std::string& path, int64_t size, const Playlist& playlist,
                              const PlaylistTitle* title, const TitleListing* listing) {
  playlist_ = playlistJson(path, size, playlist, title, listing);
}

void JsonReport::titleSetRead(const std::string& path, const VtiFile& vti) {
  titleSet_ = titleSetJson(path, vti);
}

void JsonReport::readFinished(const Workspace& ws) {
  title_ = frameReportJson(frameReportOf(ws.session.state));
  for (StreamFacts& s : streams_) {
    const auto slot = size_t(s.found.slot);
    const std::span<const StreamBox> boxes = ws.boxes[s.found.kind];
    if (slot < boxes.size()) s.caption = boxes[slot].caption;
  }
}

Json JsonReport::document() const {
  const bool readsTitle =
      command_ == "read" || command_ == "demux" || command_ == "rebuild" || command_ == "mkv";
  const bool writes =
      command_ == "demux" || command_ == "rebuild" || command_ == "xpl" || command_ == "mkv";
  Json doc = Json::object();
  doc["report_version"] = kReportVersion;
  doc["program"] = {{"name", kProgramName}, {"version", kProgramVersion}};
  doc["command"] = command_;
  doc["source"] = source_;
  if (readsTitle) {
    doc["files"] = files_;
    if (title_) doc["title"] = *title_;
    doc["streams"] = streamsJson();
  }
  if (playlist_) doc["playlist"] = *playlist_;
  if (titleSet_) doc["title_set"] = *titleSet_;
  for (const auto& [key, value] : sections_) doc[key] = value;
  if (writes) {
    Json outputs = Json::array();
    for (const OutputFacts& o : outputs_) {
      Json j = Json::object();
      j["path"] = o.path;
      if (o.bytes) j["bytes"] = *o.bytes;
      outputs.push_back(std::move(j));
    }
    doc["outputs"] = outputs;
    if (!notWritten_.empty()) doc["streams_not_written"] = notWritten_;
  }
  doc["errors"] = errors_;
  if (interrupted_) doc["interrupted"] = true;
  return doc;
}

Json JsonReport::streamsJson() const {
  std::vector<const StreamFacts*> sorted;
  for (const StreamFacts& s : streams_) sorted.push_back(&s);
  std::stable_sort(sorted.begin(), sorted.end(), [](const StreamFacts* a, const StreamFacts* b) {
    return a->found.kind != b->found.kind ? a->found.kind < b->found.kind
                                          : a->found.slot < b->found.slot;
  });
  Json streams = Json::array();
  for (const StreamFacts* s : sorted) {
    Json j = Json::object();
    j["kind"] = kindInfo(s->found.kind).name;
    j["slot"] = s->found.slot;
    j["id"] = s->found.id;
    j["codec"] = codecInfo(s->found.codec).jsonName;
    if (!s->caption.empty()) j["caption"] = s->caption;
    if (s->start) {
      j["first_pts"] = s->start->firstPts;
      j["delay_ms"] = delayMs(s->start->firstPts, s->start->firstVideoPtm);
      j["details"] = s->details;
    }
    streams.push_back(std::move(j));
  }
  return streams;
}

std::string JsonReport::text() const {
  return document().dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace vantrel::cli
