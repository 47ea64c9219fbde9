#pragma once

#include <string>

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

// Options of the Options page that the operations read (the engine's own
// are in Session::options).
struct DriverOptions {
  std::string workdir;  // "Output folder"; empty: the current folder
  std::string videoExt = "mpv";
  std::string audioExt = "mpa";
  std::string subExt = "sup";
  bool continueChain = true;  // "Continue with the next EVO"
  bool autoClear = false;     // "Auto clear"
  bool autoRead = true;       // "Auto read"
  bool autoDemux = false;     // "Auto Demux"
  bool autoRebuild = false;   // "Auto Rebuild"
  bool rebuildAdvanced = false;  // "Rebuild ADV_PCKs"
  bool adjustPts = false;     // "Adjust PTS of the EVOs to follow" (stored only)
  bool readVTI = true;        // "Read .VTI file"
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
