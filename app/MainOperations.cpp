// Running the operations: one at a time, on a worker thread, against the
// Workspace. The widgets are copied into the Workspace when a run starts;
// what the run reports comes back through the event queue.

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <algorithm>
#include <chrono>

#include "app/Main.h"
#include "app/NumEdit.h"
#include "common/file_io.h"
#include "drivers/operations.h"

namespace {
constexpr int kBusyMessageMilliseconds = 5000;
std::string text(const QLineEdit* edit) {
  return edit->text().toStdString();
}
}  // namespace

QString TfMain::busyMessage() {
  return QStringLiteral("Busy: wait until the running operation ends, or press Cancel");
}

bool TfMain::refuseWhileRunning() {
  if (!worker_ && !closing_) return false;
  statusBar()->showMessage(busyMessage(), kBusyMessageMilliseconds);
  return true;
}

void TfMain::copyOptionsToWorkspace() {
  vantrel::DriverOptions& o = ws_.options;
  o.workdir = QFile::encodeName(eWorkdir->text()).toStdString();
  o.videoExt = text(eVideoExt);
  o.audioExt = text(eAudioExt);
  o.subExt = text(eSubExt);
  o.continueChain = cbContinue->isChecked();
  o.autoClear = cbAutoClear->isChecked();
  o.autoRead = cbAutoRead->isChecked();
  o.autoDemux = rbAutoDemux->isChecked();
  o.autoRebuild = rbAutoRebuild->isChecked();
  o.rebuildAdvanced = cbRBAdvanced->isChecked();
  o.adjustPts = cbAdjustPTS->isChecked();
  o.readVTI = cbReadVTI->isChecked();

  takeTicksFromBoxes();

  vantrel::EngineOptions& e = ws_.session.options;
  e.fileKind = vantrel::fileKindOf(ws_.paths.eEVOfile);
  e.details = cbDetails->isChecked();
  e.countFrames = cbCountFr->isChecked();
  e.fastCheck = cbFastCheck->isChecked();
  e.fastSizeMB = int(ieFastSize->Value());
  e.angle = std::clamp(int(ieAngle->Value()), 1, 9);
  e.selection = ws_.boxes.selection();
}

bool TfMain::startOperation(const char* name, std::function<void()> body, bool touchesPlaylist) {
  if (refuseWhileRunning()) return false;
  events_->flush();
  copyOptionsToWorkspace();
  buttonsBeforeRun_ = ws_.buttons;
  focusBeforeRun_ = focusWidget();
  workerError_.clear();
  workerTouchesPlaylist_ = touchesPlaylist;
  ws_.session.state.CancelRequested = false;

  worker_ = QThread::create([this, body = std::move(body)] {
    try {
      body();
    } catch (const std::exception& error) {
      workerError_ = QString::fromUtf8(error.what());
    } catch (...) {
      workerError_ = QStringLiteral("An unknown error ended the operation.");
    }
  });
  worker_->setObjectName(QString::fromLatin1(name));
  connect(worker_, &QThread::finished, this, &TfMain::finishOperation, Qt::QueuedConnection);
  worker_->start();
  return true;
}

void TfMain::finishOperation() {
  if (!worker_) return;
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  events_->flush();

  // A driver that ended on an error may not have reached its closing steps
  // (its files are closed by then).
  ws_.session.state.DemuxActive = false;

  cancelFromEngine_ = false;
  ws_.buttons.cancel = false;
  if (!workerError_.isEmpty()) {
    // An error ended the run before it gave the buttons back: the window
    // stays usable with the buttons that fit the current choice.
    vantrel::OperationButtons buttons = buttonsBeforeRun_;
    buttons.cancel = false;
    buttons.browseEVO = buttons.browseXPL = true;
    buttons.readEVO = !ws_.paths.eEVOfile.empty();
    vantrel::updateOperationButtons(ws_.boxes, buttons, ws_.paths.eEVOfile);
    buttons.writeChaps = buttonsBeforeRun_.writeChaps && !playlist_.mChapter.empty();
    ws_.buttons = buttons;
  }
  showBoxes(ws_.boxes);
  takeTicksFromBoxes();  // ticks the user changed during the run
  showButtons(ws_.buttons);
  if (workerTouchesPlaylist_) showPlaylist();
  ProgressBar->hide();
  // The run disabled the button that had the focus; give it back.
  if (focusBeforeRun_ && focusBeforeRun_->isEnabled() && focusBeforeRun_->isVisible())
    focusBeforeRun_->setFocus(Qt::OtherFocusReason);

  const QString error = workerError_;
  workerError_.clear();
  if (!error.isEmpty() && errorReport_) errorReport_(error);
  emit operationFinished();
  if (closing_) close();
}

bool TfMain::bReadEVOClick() {
  return startOperation("Read EVO", [this] { operations_.readEVO(ws_); });
}

bool TfMain::bDemuxClick() {
  return startOperation("Demux", [this] { operations_.demux(ws_); });
}

bool TfMain::bRebuildClick() {
  return startOperation("Rebuild", [this] { operations_.rebuild(ws_); });
}

bool TfMain::bReadXPLClick() {
  return startOperation(
      "Read XPL", [this] { operations_.readXPL(ws_, playlist_); }, true);
}

bool TfMain::bWriteChapsClick() {
  return startOperation("Write chapters", [this] { operations_.writeChaps(ws_, playlist_); });
}

bool TfMain::bReadVTIClick() {
  if (!startOperation("Read VTI", [this] { operations_.readVTI(ws_); })) return false;
  PageControl->setCurrentIndex(StatusPage);  // where its report goes
  return true;
}

// The cancel rule: a scan stops at once; a run that writes (Demux,
// Rebuild) only after the user confirmed. The run is held at its next chunk
// while the question is open, so that nothing more is written until the
// answer, and "Cancelled." is logged only when the run really stops.
TfMain::StopAnswer TfMain::askToStop() {
  vantrel::ProcessingState& state = ws_.session.state;
  if (!state.DemuxActive) {
    state.CancelRequested = true;
    return StopAnswer::Stopped;
  }
  state.Hold.hold();
  struct Release {
    vantrel::RunHold& hold;
    ~Release() { hold.release(); }
  } release{state.Hold};
  if (!askYesNo("Are you sure to stop demuxing?")) return StopAnswer::No;
  if (!runIsHeld()) {
    // The run ended while the question was open (or never reached a chunk
    // in time): nothing was stopped, so nothing is logged.
    state.CancelRequested = true;
    return StopAnswer::RunEnded;
  }
  state.CancelRequested = true;
  log("Cancelled.");
  return StopAnswer::Stopped;
}

bool TfMain::runIsHeld() {
  // The run reaches its checkpoint within one chunk, unless it has passed
  // its last one; a run that shows neither within the limit counts as ended.
  constexpr auto kStep = std::chrono::milliseconds(20);
  constexpr int kSteps = 250;
  vantrel::RunHold& hold = ws_.session.state.Hold;
  for (int i = 0; i < kSteps; ++i) {
    if (hold.waitUntilHeld(kStep)) return true;
    if (!worker_ || worker_->isFinished()) return false;
  }
  return false;
}

void TfMain::bCancelClick() {
  askToStop();
}
