#include "handoff/title_facts.h"

namespace vantrel {

StreamFacts* TitleFacts::at(StreamKind kind, int slot) {
  for (StreamFacts& s : streams_)
    if (s.found.kind == kind && s.found.slot == slot) return &s;
  return nullptr;
}

const StreamFacts* TitleFacts::find(StreamKind kind, int slot) const {
  return const_cast<TitleFacts*>(this)->at(kind, slot);
}

void TitleFacts::fileOpened(const std::string& path, int64_t size) {
  file_ = path;
  if (next_) next_->fileOpened(path, size);
}

void TitleFacts::navigationRead(const NavigationInfo& nav, int videoCount, int audioCount,
                                double durationSeconds) {
  if (next_) next_->navigationRead(nav, videoCount, audioCount, durationSeconds);
}

void TitleFacts::copyControlRead(const CopyControlInfo& cc) {
  if (next_) next_->copyControlRead(cc);
}

void TitleFacts::streamFound(const FoundStream& stream) {
  if (!at(stream.kind, stream.slot)) streams_.push_back({stream, file_, std::nullopt, std::nullopt});
  if (next_) next_->streamFound(stream);
}

void TitleFacts::streamDetails(const StreamStart& start, const StreamAnalysis& analysis) {
  StreamFacts* s = at(start.kind, start.slot);
  // Only the file that first held the stream tells where it starts.
  if (s && !s->firstPts && s->firstFile == file_ && s->found.id == start.id) {
    s->firstPts = start.firstPts;
    if (const auto* lpcm = std::get_if<LpcmHeader>(&analysis)) s->lpcm = *lpcm;
  }
  if (next_) next_->streamDetails(start, analysis);
}

// A stream Demux met that Read EVO did not list starts where Demux met it.
void TitleFacts::streamMet(const MetStream& met) {
  StreamFacts* s = at(met.stream.kind, met.stream.slot);
  if (s && !s->firstPts && s->found.id == met.stream.id) {
    s->firstFile = met.file;
    s->firstPts = met.firstPts;
  }
  if (next_) next_->streamMet(met);
}

void TitleFacts::streamNotWritten(const MetStream& stream) {
  if (next_) next_->streamNotWritten(stream);
}

void TitleFacts::outputCreated(const std::string& path) {
  outputs_.push_back(path);
  if (next_) next_->outputCreated(path);
}

void TitleFacts::outputClosed(const std::string& path, int64_t bytes) {
  if (next_) next_->outputClosed(path, bytes);
}

void TitleFacts::errorReported(std::string_view message) {
  if (next_) next_->errorReported(message);
}

}  // namespace vantrel
