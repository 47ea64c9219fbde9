#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "app/FileDialogs.h"
#include "app/Operations.h"
#include "app/UiEventQueue.h"
#include "workspace/workspace.h"

class QCheckBox;
class QLabel;
class StatusBarPanel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QThread;
class QToolButton;
class QTreeWidget;
class MessageLog;
class TIntEdit;

// The main window: every control, the options (its controls are their
// working copy), and the operations behind its buttons, which run one at a
// time on a worker thread against the shared Workspace.
class TfMain : public QMainWindow, public vantrel::DriverHost {
  Q_OBJECT

 public:
  // `arguments`: the command line without the program name.
  explicit TfMain(QStringList arguments = {}, OperationSet operations = defaultOperations(),
                  QWidget* parent = nullptr);
  ~TfMain() override;

  // Page indices of PageControl, as the operations use them.
  enum Page {
    StatusPage = 0,
    VideoPage,
    AudioPage,
    SubpicturePage,
    XplPage,
    OptionPage,
    AboutPage
  };

  // Source and playlist row.
  QLineEdit* eEVOfile = nullptr;
  QToolButton* bbEVO = nullptr;
  QPushButton* bReadEVO = nullptr;
  QLineEdit* eXPLfile = nullptr;
  QToolButton* bbXPL = nullptr;
  QPushButton* bReadXPL = nullptr;

  // Pages.
  QTabWidget* PageControl = nullptr;
  QWidget* tsStatus = nullptr;
  QWidget* tsVideo = nullptr;
  QWidget* tsAudio = nullptr;
  QWidget* tsSubpicture = nullptr;
  QWidget* tsXPL = nullptr;
  QWidget* tsOption = nullptr;
  QWidget* tsAbout = nullptr;

  QPushButton* bClear = nullptr;
  QCheckBox* cbAutoClear = nullptr;
  MessageLog* reMessage = nullptr;

  std::array<QCheckBox*, 8> cbVideo{};
  std::array<QCheckBox*, 16> cbAudio{};
  std::array<QCheckBox*, 32> cbSub{};

  QPushButton* bWriteChaps = nullptr;
  QSplitter* splXPL = nullptr;
  QTreeWidget* tvXPL = nullptr;
  QPlainTextEdit* mXPL = nullptr;

  QLineEdit* eVideoExt = nullptr;
  QLineEdit* eAudioExt = nullptr;
  QLineEdit* eSubExt = nullptr;
  QLineEdit* eWorkdir = nullptr;
  QToolButton* bbWorkdir = nullptr;
  QCheckBox* cbContinue = nullptr;
  QCheckBox* cbAdjustPTS = nullptr;
  QCheckBox* cbFastCheck = nullptr;
  TIntEdit* ieFastSize = nullptr;
  TIntEdit* ieAngle = nullptr;
  QCheckBox* cbCountFr = nullptr;
  QCheckBox* cbDetails = nullptr;
  QCheckBox* cbAutoRead = nullptr;
  QCheckBox* cbReadVTI = nullptr;
  QCheckBox* cbRBAdvanced = nullptr;
  QRadioButton* rbNoAuto = nullptr;
  QRadioButton* rbAutoDemux = nullptr;
  QRadioButton* rbAutoRebuild = nullptr;

  // Bottom row and status bar.
  QPushButton* bDemux = nullptr;
  QPushButton* bRebuild = nullptr;
  QPushButton* bReadVTI = nullptr;
  QPushButton* bCancel = nullptr;
  QLabel* imLogo = nullptr;
  std::array<StatusBarPanel*, 2> StatusPanel{};
  // Beside the panels while a run reports its progress.
  QProgressBar* ProgressBar = nullptr;

  // Start-up: settings, stream boxes, locale, then the command line. Called
  // once, before the window is first shown, so that the stored placement
  // is applied without a visible jump.
  void FormActivate();
  // Settings store: read once at start-up, written once at close.
  void RegRead();
  void RegWrite();
  // The close request: false keeps the window open (the cancel rule).
  bool FormCloseQuery();
  void FormClose();

  // File choice.
  void bbEVOClick();
  void bbXPLClick();
  void bbWorkdirClick();
  // Files dropped on the window: only the first counts. Returns false when
  // the drop was refused because an operation is running.
  bool WMDropFiles(const QStringList& paths);
  // Path rules after eEVOfile / eXPLfile changed.
  void EVOadj();
  void XPLadj();

  void cbFastCheckClick();
  void bClearClick();
  void cbVideoClick();
  // "Tick all" / "Tick none" of a stream page: every enabled box of it.
  void tickBoxes(std::span<QCheckBox* const> boxes, bool ticked);
  // The log's "Save log..." as plain text, to a file the user chooses.
  void saveLog();

  // The operations. Each returns false when it was refused because another
  // one is running.
  bool bReadEVOClick();
  bool bDemuxClick();
  bool bRebuildClick();
  bool bReadXPLClick();
  bool bWriteChapsClick();
  bool bReadVTIClick();
  void bCancelClick();

  // DriverHost, called from the worker thread (askYesNo only from this one).
  void log(std::string_view line) override;
  void slog(std::string_view text, int panel) override;
  void clearLog() override;
  void pump() override;
  bool askYesNo(std::string_view question) override;
  void showPage(int index) override;
  void setCancelEnabled(bool enabled) override;
  void controlsChanged(const vantrel::StreamBoxes& boxes,
                       const vantrel::OperationButtons& buttons) override;

  bool operationRunning() const { return worker_ != nullptr; }
  // Applies whatever the worker has told the window so far.
  void flushEvents() { events_->flush(); }
  // The state the operations share. Only touch it while no operation runs.
  vantrel::Workspace& workspace() { return ws_; }
  const vantrel::PlaylistView& playlistView() const { return playlist_; }

  // The tree width that is stored (the splitter's when it has been laid out).
  int treeWidth() const;

  void setFileChooser(std::unique_ptr<FileChooser> chooser) { chooser_ = std::move(chooser); }
  // The application's general error report; a message box unless replaced.
  void setErrorReport(std::function<void(const QString&)> report) {
    errorReport_ = std::move(report);
  }

  // The status-bar text shown when a start is refused.
  static QString busyMessage();

 signals:
  void operationFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Layout (MainLayout.cpp).
  void buildWindow();
  QWidget* buildTopRow();
  QWidget* buildStatusPage();
  QWidget* buildVideoPage();
  QWidget* buildAudioPage();
  QWidget* buildSubpicturePage();
  QWidget* buildXplPage();
  QWidget* buildOptionPage();
  QWidget* buildAboutPage();
  QWidget* buildBottomRow();
  QWidget* bottomRow_ = nullptr;
  void connectControls();

  // Mirroring the core's model into the widgets.
  void applyEvent(UiEvent& event);
  void showButtons(const vantrel::OperationButtons& buttons);
  void showBoxes(const vantrel::StreamBoxes& boxes, bool all = false);
  void showPaths();
  void takeTicksFromBoxes();
  void showPlaylist();
  void setStatusPanel(int panel, const QString& text);
  void showProgress(const QString& detail);

  // The cancel rule, shared by Cancel and the close request.
  enum class StopAnswer { No, Stopped, RunEnded };
  StopAnswer askToStop();
  bool runIsHeld();

  // Running operations (MainOperations.cpp).
  bool startOperation(const char* name, std::function<void()> body, bool touchesPlaylist = false);
  void copyOptionsToWorkspace();
  void finishOperation();
  bool refuseWhileRunning();

  // File choice helpers (MainFiles.cpp).
  void takeSource(const QString& path);
  void takePlaylist(const QString& path);
  void startFromCommandLine();

  // Settings helpers (MainSettings.cpp).
  void noteInvalidSetting(const char* name);

  QStringList arguments_;
  OperationSet operations_;
  vantrel::Workspace ws_;
  vantrel::PlaylistView playlist_;
  vantrel::StreamBoxes shownBoxes_;  // the model state the boxes mirror
  vantrel::OperationButtons shownButtons_;
  bool cancelFromEngine_ = false;  // the engine enables Cancel while a pass runs
  UiEventQueue* events_ = nullptr;
  std::unique_ptr<FileChooser> chooser_;
  std::function<void(const QString&)> errorReport_;

  QThread* worker_ = nullptr;
  QString workerError_;
  bool workerTouchesPlaylist_ = false;
  vantrel::OperationButtons buttonsBeforeRun_;
  QPointer<QWidget> focusBeforeRun_;  // gets the focus back when the run ends
  std::atomic<bool> closing_{false};  // the close was granted; waits for the worker
  bool activated_ = false;
  int pendingTreeWidth_ = 96;
  bool treeLaidOut_ = false;
};

// The one window of the program.
extern TfMain* fMain;
