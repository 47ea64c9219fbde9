#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/host.h"
#include "engine/run_observer.h"
#include "engine/session.h"
#include "workspace/stream_boxes.h"

namespace vantrel {

// A host that also mirrors the stream boxes and operation buttons.
class DriverHost : public Host {
 public:
  // The boxes or the buttons changed. Called on the thread that runs the
  // operation, which waits while the front end copies what it needs.
  virtual void controlsChanged(const StreamBoxes& boxes, const OperationButtons& buttons) {
    (void)boxes;
    (void)buttons;
  }
};

// An option the user may change while a run reads it (from another thread).
class LiveFlag {
 public:
  LiveFlag(bool value = false) : value_(value) {}  // NOLINT: a flag reads like a bool
  LiveFlag(const LiveFlag& other) : value_(other.value_.load()) {}
  LiveFlag& operator=(const LiveFlag& other) {
    value_ = other.value_.load();
    return *this;
  }
  LiveFlag& operator=(bool value) {
    value_ = value;
    return *this;
  }
  operator bool() const { return value_; }  // NOLINT

 private:
  std::atomic<bool> value_;
};

// Options of the Options page that the operations read (the engine's own
// are in Session::options).
struct DriverOptions {
  std::string workdir;  // "Output folder"; empty: the current folder
  std::string videoExt = "mpv";
  std::string audioExt = "mpa";
  std::string subExt = "sup";
  // "Continue with the next EVO": read again when each file of a run ends,
  // so that unticking it stops the chain after the current file.
  LiveFlag continueChain = true;
  bool autoClear = false;     // "Auto clear"
  bool autoRead = true;       // "Auto read"
  bool autoDemux = false;     // "Auto Demux"
  bool autoRebuild = false;   // "Auto Rebuild"
  bool rebuildAdvanced = false;  // "Rebuild ADV_PCKs"
  bool adjustPts = false;     // "Adjust PTS of the EVOs to follow" (stored only)
  bool readVTI = true;        // "Read .VTI file"
  // Demux writes a stream that has no box too (one met past the fast check
  // or only in an earlier file of the title), named like the others; else
  // it reports it. The command line without a stream list sets it.
  bool writeUnlistedStreams = false;
};

// The source and playlist the user chose, and the names derived from them.
struct SourcePaths {
  std::string eEVOfile;                   // source path
  std::string eXPLfile = "VPLST000.XPL";  // playlist path
  std::string SourceFileName;             // file name part of the source
  std::string OutputBaseName;             // SourceFileName without extension (+ "_MERGED")
  std::string EVOdir;                     // source folder, ending in the separator
  std::string XPLdir;                     // playlist folder, ending in the separator
  std::string PlaylistFileName;
};

// What filled the stream catalogue last.
enum class CatalogueOrigin { None, ReadEvo, ReadXpl };

// Everything the operations of one window (or one command line) share.
struct Workspace {
  explicit Workspace(DriverHost& h) : host(h), session(h) {}
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  DriverHost& host;
  Session session;
  DriverOptions options;
  StreamBoxes boxes;
  OperationButtons buttons;
  SourcePaths paths;
  CatalogueOrigin catalogueOrigin = CatalogueOrigin::None;
  std::string catalogueSource;  // the source path the last Read EVO scanned
  int errorsLogged = 0;         // error lines logged by the operations so far
  bool scanStoppedEarly = false;  // the last Read EVO left a file unread at the fast-check size
  std::vector<MetStream> streamsNotWritten;  // by the last Demux or Rebuild: met, but without a box

  // Whether a chain run goes on with its next file.
  bool chainGoesOn() const { return !session.state.CancelRequested && options.continueChain; }

  void notifyControls() { host.controlsChanged(boxes, buttons); }
  // Logs an error of an operation as one red line.
  void logError(const std::string& message) {
    ++errorsLogged;
    host.log("[re]" + message + "[/re]");
    if (session.observer) session.observer->errorReported(message);
  }
  // How every run ends: "Done.", an empty line and the status "Ready".
  void logDone() {
    host.log("Done.");
    host.log("");
    host.slog("Ready", 0);
    host.slog("", 1);
  }
  // The input file that an operation just opened.
  void fileOpened(const InputFile& file) {
    if (session.observer) session.observer->fileOpened(file.path(), file.size());
  }
  void outputCreated(const OutputFile& file) {
    if (session.observer) session.observer->outputCreated(file.path());
  }
  void outputClosed(const OutputFile& file) {
    if (session.observer) session.observer->outputClosed(file.path(), file.bytesStored());
  }
  void outputRemoved(const std::string& path) {
    if (session.observer) session.observer->outputRemoved(path);
  }
};

}  // namespace vantrel
