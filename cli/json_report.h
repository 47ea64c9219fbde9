#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/json_details.h"
#include "workspace/workspace.h"
#include "engine/run_observer.h"
#include "metadata/metadata_observer.h"

namespace vantrel::cli {

// Collects what a command's run finds, as the engine and drivers hand it
// over, and renders it as one JSON document (the --json report).
//
// The run has two phases: the Read EVO of the title, whose files and
// streams are reported, then (for demux and rebuild) the writing run, which
// reads the same files again; from it only the outputs are taken. Errors are
// taken from both. For xpl and vti it takes what the metadata readers parsed.
class JsonReport : public RunObserver, public MetadataObserver {
 public:
  JsonReport(std::string command, std::string source);

  // Read EVO has finished: takes the frame report and the stream captions.
  void readFinished(const Workspace& ws);
  // The writing run starts.
  void startWriting() { writing_ = true; }
  void setInterrupted() { interrupted_ = true; }
  // A section of a command's own, placed before `outputs`.
  void setSection(const std::string& key, Json value) { sections_.emplace_back(key, std::move(value)); }
  // The outputs so far were intermediate: the command lists its own.
  void clearOutputs() { outputs_.clear(); }

  Json document() const;
  // The document as UTF-8 text; bytes of a path that are not UTF-8 become
  // U+FFFD rather than ending the report.
  std::string text() const;

  void fileOpened(const std::string& path, int64_t size) override;
  void navigationRead(const NavigationInfo& nav, int videoCount, int audioCount,
                      double durationSeconds) override;
  void copyControlRead(const CopyControlInfo& cc) override;
  void streamFound(const FoundStream& stream) override;
  void streamDetails(const StreamStart& start, const StreamAnalysis& analysis) override;
  void streamNotWritten(const MetStream& stream) override;
  void outputCreated(const std::string& path) override;
  void outputClosed(const std::string& path, int64_t bytes) override;
  void outputRemoved(const std::string& path) override;
  void errorReported(std::string_view message) override;

  void playlistRead(const std::string& path, int64_t size, const Playlist& playlist,
                    const PlaylistTitle* title, const TitleListing* listing) override;
  void titleSetRead(const std::string& path, const VtiFile& vti) override;

 private:
  struct StreamFacts {
    FoundStream found;
    std::string caption;
    std::optional<StreamStart> start;
    Json details;
  };
  struct OutputFacts {
    std::string path;
    std::optional<int64_t> bytes;
  };
  StreamFacts* streamAt(StreamKind kind, int slot);
  Json streamsJson() const;

  std::string command_;
  std::string source_;
  bool writing_ = false;
  bool interrupted_ = false;
  std::vector<Json> files_;
  std::vector<StreamFacts> streams_;  // of the last file read
  std::optional<Json> title_;
  std::vector<OutputFacts> outputs_;
  Json notWritten_ = Json::array();  // streams a writing run met without a box
  std::vector<std::string> errors_;
  std::optional<Json> playlist_;
  std::optional<Json> titleSet_;
  std::vector<std::pair<std::string, Json>> sections_;
};

}  // namespace vantrel::cli
