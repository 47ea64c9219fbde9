#include "handoff/matroska_job.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "common/file_io.h"
#include "common/path_rules.h"
#include "common/text_format.h"
#include "engine/stream_report.h"
#include "workspace/title_chain.h"
#include "handoff/core_operations.h"
#include "handoff/dvd_lpcm_wav.h"
#include "handoff/mkvmerge_run.h"
#include "handoff/program_runner.h"
#include "handoff/title_facts.h"
#include "metadata/disc_time.h"

namespace vantrel {

namespace {
namespace fs = std::filesystem;

// Puts the facts collector in front of the session's observer for one run.
class ObserverSwap {
 public:
  ObserverSwap(Session& session, TitleFacts& facts) : session_(session), saved_(session.observer) {
    session.observer = &facts;
  }
  ~ObserverSwap() { session_.observer = saved_; }
  ObserverSwap(const ObserverSwap&) = delete;
  ObserverSwap& operator=(const ObserverSwap&) = delete;

 private:
  Session& session_;
  RunObserver* saved_;
};

TrackKind trackKindOf(StreamKind kind) {
  switch (kind) {
    case StreamKind::Video:
      return TrackKind::Video;
    case StreamKind::Audio:
      return TrackKind::Audio;
    case StreamKind::Subpicture:
      break;
  }
  return TrackKind::Subtitle;
}

// Milliseconds from the first video frame, as the log and the report give
// them (a title whose stamps wrap past 2^32 keeps its delays).
int64_t syncOf(uint32_t pts, uint32_t firstVideoPtm) {
  return delayMs(pts, firstVideoPtm);
}

int64_t sizeOf(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : int64_t(size);
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// Everything the run wrote into the work folder, removed after success.
struct WorkFiles {
  std::string folder;
  bool created = false;
  std::vector<std::string> files;

  void removeAll() {
    std::error_code error;
    for (const std::string& file : files) fs::remove(file, error);
    fs::remove(folder, error);  // only when nothing else is in it
  }
};

void writeText(const std::string& path, const std::string& text) {
  auto out = OutputFile::create(path);
  out->write(text.data(), text.size());
  out->close();
}

class MatroskaJob {
 public:
  MatroskaJob(Workspace& ws, const MatroskaRequest& request)
      : ws_(ws), request_(request), facts_(ws.session.observer) {}

  MatroskaResult run() {
    result_.source = findTitleSource(request_.path, request_.title);
    if (!result_.source.error.empty()) {
      ws_.logError(result_.source.error);
      return std::move(result_);
    }
    mkvmerge_ = findProgram("mkvmerge");
    if (mkvmerge_.empty()) {
      ws_.logError("mkvmerge was not found: install mkvtoolnix (the package that holds mkvmerge).");
      return std::move(result_);
    }
    if (!prepareFolders()) return std::move(result_);
    try {
      if (readAndDemux() && plan() && convertAndMux()) finish();
    } catch (const std::exception& error) {
      ws_.logError(error.what());
    }
    if (!result_.written) keepWorkFolder();
    ws_.host.log("Done.");
    ws_.host.log("");
    ws_.host.slog("Ready", 0);
    ws_.host.slog("", 1);
    return std::move(result_);
  }

 private:
  bool stopped() const {
    return ws_.session.state.CancelRequested || (request_.interrupted && request_.interrupted());
  }

  bool prepareFolders() {
    const TitleSource& source = result_.source;
    std::string name = safeFileNamePart(source.label);
    if (name.empty()) name = "title";
    prefix_ = outputPrefix(request_.outputFolder, name);
    output_ = prefix_ + ".mkv";
    work_.folder = prefix_ + ".streams";
    result_.workFolder = work_.folder;
    if (isFileOfChain(output_, source.files)) {
      ws_.logError(outputOverSourceMessage(output_));
      return false;
    }
    std::error_code error;
    if (!request_.outputFolder.empty()) fs::create_directories(request_.outputFolder, error);
    work_.created = fs::create_directory(work_.folder, error);
    if (error) {
      ws_.logError("Cannot create folder " + inQuotes(work_.folder) + ". " + error.message());
      return false;
    }
    std::string files;
    for (const std::string& file : source.files) files += (files.empty() ? "" : ", ") + fileNamePart(file);
    if (source.title)
      ws_.host.log("Title [b]" + std::to_string(source.title->number) + "[/b] of " +
                   fileNamePart(source.playlist) + ": [b]" + source.label + "[/b] (" + files + ")");
    else
      ws_.host.log("Title [b]" + source.label + "[/b] (" + files + "), no playlist describes it");
    if (!source.leftOutFiles.empty()) {
      std::string rest;
      for (const std::string& file : source.leftOutFiles) rest += (rest.empty() ? "" : ", ") + fileNamePart(file);
      ws_.host.log("   Left out: " + rest + ", which " + (source.leftOutFiles.size() > 1 ? "do" : "does") +
                   " not follow " + fileNamePart(source.files.back()) + " by name" +
                   (source.endMs ? "; the file ends at " + clockText(*source.endMs) : std::string()) + ".");
    }
    ws_.host.log("Work folder: " + work_.folder);
    return true;
  }

  bool readAndDemux() {
    ObserverSwap swap(ws_.session, facts_);
    chooseSource(ws_, result_.source.files.front());
    ws_.options.continueChain = result_.source.files.size() > 1;
    ws_.session.options.details = true;  // first time stamps and LPCM formats come with the details
    readTitleStreams(ws_);
    if (stopped()) return false;
    if (request_.afterScan && !request_.afterScan()) return false;
    // The main video only, unless the front end chose: a second video is picture in picture.
    if (!request_.streamsChosen && streamBox(ws_, StreamKind::Video, 0).ticked)
      streamBox(ws_, StreamKind::Video, 1).ticked = false;
    if (!ws_.boxes.anyTicked()) {
      ws_.logError("The title holds no stream to mux.");
      return false;
    }
    ws_.options.workdir = work_.folder;
    // Without a choice every stream goes in, also one the scan did not list.
    ws_.options.writeUnlistedStreams = !request_.streamsChosen;
    if (request_.beforeDemux) request_.beforeDemux();
    const int errorsBefore = ws_.errorsLogged;
    demuxTitleStreams(ws_);
    std::vector<FoundStream> met;
    for (const StreamFacts& stream : facts_.streams()) met.push_back(stream.found);
    for (const DemuxedStream& stream : demuxedStreams(ws_, met, facts_.outputs())) {
      work_.files.push_back(stream.path);
      demuxed_.push_back(stream);
    }
    return !stopped() && ws_.errorsLogged == errorsBefore;
  }

  uint32_t firstVideoPtm() const {
    if (ws_.session.state.FirstVideoPtm != 0) return ws_.session.state.FirstVideoPtm;
    const StreamFacts* video = facts_.find(StreamKind::Video, 0);
    return video && video->firstPts ? *video->firstPts : 0;
  }

  bool plan() {
    MatroskaPlan& plan = result_.plan.emplace();
    plan.output = output_;
    plan.title = result_.source.label;
    const TitleSummary* title = result_.source.title ? &*result_.source.title : nullptr;
    for (const DemuxedStream& stream : demuxed_) planStream(plan, stream, title);
    for (const StreamFacts& facts : facts_.streams()) {
      bool demuxed = false;
      for (const DemuxedStream& stream : demuxed_)
        demuxed = demuxed || (stream.kind == facts.found.kind && stream.slot == facts.found.slot);
      const StreamBox& box = streamBox(ws_, facts.found.kind, facts.found.slot);
      if (demuxed || (box.enabled && !box.ticked && request_.streamsChosen)) continue;
      leaveOut(plan, facts.found,
               box.enabled ? "not chosen: the second video is picture in picture"
                           : "met only in " + fileNamePart(facts.firstFile) + ", and Demux wrote no file for it");
    }
    const std::optional<int64_t> end = result_.source.endMs;
    if (title)
      for (const ChapterSummary& chapter : title->chapters)
        if (!end || chapter.startMs < *end) plan.chapters.push_back({chapter.startMs, chapter.name});
    if (plan.tracks.empty()) {
      ws_.logError("The title has no video or audio stream to mux.");
      return false;
    }
    describe(plan);
    return true;
  }

  std::string caption(StreamKind kind, int slot) const {
    const StreamFacts* facts = facts_.find(kind, slot);
    return facts ? captionOf(facts->found) : streamBox(ws_, kind, slot).caption;
  }

  void leaveOut(MatroskaPlan& plan, const FoundStream& found, const std::string& reason) {
    plan.leftOut.push_back({found.kind, found.slot, found.codec, reason});
  }

  void planStream(MatroskaPlan& plan, const DemuxedStream& stream, const TitleSummary* title) {
    const StreamFacts* facts = facts_.find(stream.kind, stream.slot);
    const TrackSummary* track = title ? title->trackOf(trackKindOf(stream.kind), stream.slot) : nullptr;
    FoundStream found{stream.kind, stream.slot, 0, StreamCodec::Mpeg2};
    if (facts) found = facts->found;
    if (sizeOf(stream.path) == 0) return leaveOut(plan, found, "it holds no data");
    const std::string description = track ? track->description : "";
    const std::string language = track ? track->matroskaLanguage : "";
    if (stream.kind == StreamKind::Subpicture) {
      std::string to = prefix_ + ".sub" + zeroPadded(stream.slot, 2);
      if (!language.empty()) to += "." + language;
      plan.subpictures.push_back({stream.slot, stream.path, to + ".sup", description, language});
      return;
    }
    PlannedTrack planned{stream.kind, stream.slot, found.codec, stream.path, description, language, 0};
    if (stream.kind == StreamKind::Audio && facts && facts->firstPts)
      planned.syncMs = syncOf(*facts->firstPts, firstVideoPtm());
    if (found.codec == StreamCodec::Lpcm) {
      const std::optional<LpcmHeader>& header = facts ? facts->lpcm : std::nullopt;
      const PcmLayout layout = header ? PcmLayout{header->channelCount, header->bitsPerSample(),
                                                  header->sampleRateHz()}
                                      : PcmLayout{0, 0, 0};
      if (!isConvertible(layout)) return leaveOut(plan, found, "its sample format is not known");
      planned.file = work_.folder + kPathSeparator + CutExt(fileNamePart(stream.path)) + ".wav";
      pcm_.push_back({stream.path, layout, planned.file});
    }
    plan.tracks.push_back(planned);
  }

  void describe(const MatroskaPlan& plan) {
    ws_.host.log("Matroska file [b]" + plan.output + "[/b], title [bl]" + plan.title + "[/bl]:");
    for (const PlannedTrack& track : plan.tracks) {
      std::string line = "   " + caption(track.kind, track.slot);
      if (!track.name.empty()) line += " \"" + track.name + "\"";
      if (!track.language.empty()) line += " [bl]" + track.language + "[/bl]";
      if (track.syncMs != 0)
        line += ", sync [bl]" + std::string(track.syncMs > 0 ? "+" : "") + std::to_string(track.syncMs) + "[/bl] ms";
      ws_.host.log(line);
    }
    if (!plan.chapters.empty()) ws_.host.log("   Chapters: [bl]" + std::to_string(plan.chapters.size()) + "[/bl]");
    for (const LeftOutStream& stream : plan.leftOut)
      ws_.host.log("   Left out: " + caption(stream.kind, stream.slot) + ", " + stream.reason + ".");
  }

  bool convertAndMux() {
    for (const PcmFile& pcm : pcm_) {
      ws_.host.log("Writing " + pcm.wav);
      ws_.host.slog("Writing " + fileNamePart(pcm.wav), 0);
      work_.files.push_back(pcm.wav);
      writeWav(pcm.lpcm, pcm.layout, pcm.wav, [this](uint64_t done, uint64_t total) {
        ws_.host.slog(std::to_string(done * 100 / std::max<uint64_t>(total, 1)) + "%", 1);
        return !stopped();
      });
      ws_.host.slog("", 1);
      if (stopped()) return false;
    }
    const MatroskaPlan& plan = *result_.plan;
    std::string chapters;
    if (!plan.chapters.empty()) {
      chapters = work_.folder + kPathSeparator + "chapters.xml";
      work_.files.push_back(chapters);
      writeText(chapters, chaptersXml(plan.chapters));
    }
    const std::string options = work_.folder + kPathSeparator + "mkvmerge.json";
    work_.files.push_back(options);
    writeText(options, mkvmergeOptions(plan, chapters));
    return mux(options);
  }

  bool mux(const std::string& options) {
    ws_.host.log("Muxing " + output_ + " with " + mkvmerge_);
    ws_.host.slog("Muxing " + fileNamePart(output_), 0);
    ws_.session.state.CancelRequested = false;
    MkvmergeRun run = runMkvmerge(mkvmerge_, options, ws_.host, [this] { return stopped(); });
    result_.warnings = std::move(run.warnings);
    if (run.written) return true;
    std::error_code ignored;
    fs::remove(output_, ignored);
    if (run.cancelled) {
      ws_.host.log("Stopped: the unfinished " + output_ + " was removed.");
      return false;
    }
    ws_.logError("mkvmerge could not write " + inQuotes(output_) + ": " + run.error +
                 " The demuxed streams stay in " + inQuotes(work_.folder) + ".");
    failedMux_ = true;
    return false;
  }

  void finish() {
    for (const KeptSubpicture& sub : result_.plan->subpictures) {
      if (isFileOfChain(sub.to, result_.source.files)) {
        ws_.logError(outputOverSourceMessage(sub.to));
        continue;
      }
      std::error_code error;
      fs::rename(sub.from, sub.to, error);
      if (error) {
        ws_.logError("Cannot move " + inQuotes(sub.from) + " to " + inQuotes(sub.to) + ". " + error.message());
        continue;
      }
      std::string what = caption(StreamKind::Subpicture, sub.slot);
      if (!sub.description.empty()) what += " \"" + sub.description + "\"";
      ws_.host.log(what + " stays beside the .mkv as " + sub.to +
                   ": Matroska cannot carry HD DVD subpictures.");
    }
    result_.written = true;
    ws_.host.log("Written [b]" + output_ + "[/b]");
    if (request_.keepStreams) {
      result_.workFolderKept = true;
      ws_.host.log("The demuxed streams stay in " + work_.folder);
    } else {
      work_.removeAll();
    }
  }

  // After a failure or a stop: the work folder stays for another try, unless
  // nothing was written into it.
  void keepWorkFolder() {
    std::error_code error;
    if (work_.created && fs::is_empty(work_.folder, error)) {
      fs::remove(work_.folder, error);
      return;
    }
    if (!fs::exists(work_.folder, error)) return;
    result_.workFolderKept = true;
    if (!failedMux_) ws_.host.log("The demuxed streams stay in " + work_.folder);
  }

  struct PcmFile {
    std::string lpcm;
    PcmLayout layout;
    std::string wav;
  };

  Workspace& ws_;
  const MatroskaRequest& request_;
  TitleFacts facts_;
  MatroskaResult result_;
  std::string mkvmerge_;
  std::string prefix_;
  std::string output_;
  WorkFiles work_;
  std::vector<DemuxedStream> demuxed_;
  std::vector<PcmFile> pcm_;
  bool failedMux_ = false;
};
}  // namespace

MatroskaResult makeMatroska(Workspace& ws, const MatroskaRequest& request) {
  return MatroskaJob(ws, request).run();
}

}  // namespace vantrel
