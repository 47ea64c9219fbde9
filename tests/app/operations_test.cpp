// Operations on the worker thread: one at a time, the window alive while
// they run, the cancel rule, closing during a run, errors, option copies.

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <thread>

#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/StatusBarPanel.h"
#include "common/file_io.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;
using namespace std::chrono_literals;

namespace {

// A pass of the engine as the window sees it: Cancel enabled, the flag
// cleared at the start, lines logged at each checkpoint until it stops.
void passUntilCancelled(vantrel::Workspace& ws, std::atomic<int>* lines = nullptr) {
  auto& state = ws.session.state;
  state.CancelRequested = false;
  ws.host.setCancelEnabled(true);
  int n = 0;
  while (!state.stopAtChunk()) {
    ws.host.log("   working [bl]" + std::to_string(n) + "[/bl]");
    if (lines) *lines = ++n;
    ws.host.pump();
    std::this_thread::sleep_for(2ms);
  }
  ws.host.setCancelEnabled(false);
}

void demuxUntilCancelled(vantrel::Workspace& ws) {
  ws.buttons.demux = ws.buttons.rebuild = false;
  ws.notifyControls();
  ws.session.state.DemuxActive = true;
  passUntilCancelled(ws);
  ws.host.log("Done.");
  ws.buttons.demux = ws.buttons.rebuild = true;
  ws.session.state.DemuxActive = false;
  ws.notifyControls();
}

}  // namespace

class OperationsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { sandbox_ = std::make_unique<SettingsSandbox>(); }
  void cleanup() { sandbox_.reset(); }

  void theLogGrowsWhileTheRunGoesOn() {
    std::atomic<int> lines{0};
    OperationSet ops;
    ops.readEVO = [&](vantrel::Workspace& ws) { passUntilCancelled(ws, &lines); };
    TfMain window({}, ops);
    window.show();
    QVERIFY(window.bReadEVOClick());
    QVERIFY(window.operationRunning());
    QTRY_VERIFY(window.reMessage->lineCount() > 20);
    QVERIFY(window.operationRunning());
    QTRY_VERIFY(window.bCancel->isEnabled());
    // A scan stops at once, without a question.
    QTest::mouseClick(window.bCancel, Qt::LeftButton);
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(!window.bCancel->isEnabled());
    QCOMPARE(window.reMessage->lineCount(), lines.load());
    QVERIFY(!logLines(window).contains(QStringLiteral("Cancelled.")));
  }

  void noSecondOperationWhileOneRuns() {
    auto ops = std::make_shared<OperationLog>();
    OperationSet set = recordingOperations(ops);
    set.demux = demuxUntilCancelled;
    TfMain window({}, set);
    window.FormActivate();
    auto* chooser = scriptChooser(window);
    window.show();
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("FEATURE_1.EVO"), smallTitle());
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.bDemuxClick());

    // Every start is refused with a word in the status bar.
    QVERIFY(!window.bReadEVOClick());
    QCOMPARE(window.statusBar()->currentMessage(), TfMain::busyMessage());
    window.statusBar()->clearMessage();
    QTest::mouseClick(window.bReadVTI, Qt::LeftButton);
    QCOMPARE(window.statusBar()->currentMessage(), TfMain::busyMessage());
    QVERIFY(!window.bReadXPLClick());
    QVERIFY(!window.bWriteChapsClick());
    QVERIFY(!window.bRebuildClick());
    const QString other = writeFile(dir.filePath("OTHER.EVO"), smallTitle());
    QVERIFY(!window.WMDropFiles({other}));
    QCOMPARE(window.eEVOfile->text(), source);
    window.bbEVOClick();
    QVERIFY(chooser->sourceFolders.isEmpty());  // no dialog was opened
    QCOMPARE(ops->calls(), std::vector<std::string>{"readEVO"});

    QTRY_VERIFY(window.bCancel->isEnabled());
    auto answer = answerNextQuestion(QMessageBox::Yes);
    window.bCancelClick();
    QVERIFY(answer->answered);
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.bReadEVOClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(ops->calls().size(), size_t(2));
  }

  void cancellingADemuxAsksFirst() {
    OperationSet ops;
    ops.demux = demuxUntilCancelled;
    TfMain window({}, ops);
    window.show();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.bCancel->isEnabled());

    auto no = answerNextQuestion(QMessageBox::No);
    QTest::mouseClick(window.bCancel, Qt::LeftButton);
    QVERIFY(no->answered);
    QCOMPARE(no->seenText, QStringLiteral("Are you sure to stop demuxing?"));
    QCOMPARE(no->seenDefault, QMessageBox::No);
    QTest::qWait(50);
    QVERIFY(window.operationRunning());
    QVERIFY(!logLines(window).contains(QStringLiteral("Cancelled.")));

    auto yes = answerNextQuestion(QMessageBox::Yes);
    QTest::mouseClick(window.bCancel, Qt::LeftButton);
    QVERIFY(yes->answered);
    QTRY_VERIFY(!window.operationRunning());
    const QStringList lines = logLines(window);
    QVERIFY(lines.contains(QStringLiteral("Cancelled.")));
    // The run's own closing line comes after the answer.
    QVERIFY(lines.lastIndexOf(QStringLiteral("Done.")) >
            lines.indexOf(QStringLiteral("Cancelled.")));
    QVERIFY(window.bDemux->isEnabled());
  }

  void closingDuringADemuxAsksAndWaits() {
    OperationSet ops;
    ops.demux = demuxUntilCancelled;
    TfMain window({}, ops);
    window.FormActivate();
    window.show();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.bCancel->isEnabled());

    auto no = answerNextQuestion(QMessageBox::No);
    QVERIFY(!window.close());
    QVERIFY(no->answered);
    QVERIFY(window.isVisible());
    QTest::qWait(30);
    QVERIFY(window.operationRunning());

    auto yes = answerNextQuestion(QMessageBox::Yes);
    window.close();  // granted: the window goes once the run has stopped
    QVERIFY(yes->answered);

    QTRY_VERIFY(!window.operationRunning());
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(logLines(window).contains(QStringLiteral("Done.")));
    QCOMPARE(QSettings("Corvane Software", "Vantrel").value("WindowState").toInt(), 0);
  }

  void closingDuringAScanAlsoStopsItsFollowUp() {
    // Read EVO cancelled by the close must not go on into a full Demux: the
    // follow-up pass clears the flag when it starts.
    std::atomic<int> passes{0};
    OperationSet ops;
    ops.readEVO = [&](vantrel::Workspace& ws) {
      passUntilCancelled(ws);
      ++passes;
      ws.session.state.DemuxActive = true;
      passUntilCancelled(ws);
      ws.session.state.DemuxActive = false;
      ++passes;
    };
    TfMain window({}, ops);
    window.show();
    QVERIFY(window.bReadEVOClick());
    QTRY_VERIFY(window.bCancel->isEnabled());
    window.close();  // a scan: no question
    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 5000);
    QCOMPARE(passes.load(), 2);
    QTRY_VERIFY(!window.isVisible());
  }

  void anErrorIsReportedAndTheWindowStaysUsable() {
    QStringList reports;
    OperationSet ops;
    ops.readEVO = [](vantrel::Workspace& ws) {
      ws.buttons.readEVO = ws.buttons.browseEVO = ws.buttons.browseXPL = ws.buttons.readXPL = false;
      ws.notifyControls();
      ws.session.state.DemuxActive = true;
      throw vantrel::FileError(
          "Cannot open file \"/media/D/FEATURE_1.EVO\". No such file or directory");
    };
    ops.readVTI = [](vantrel::Workspace&) {};
    TfMain window({}, ops);
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    window.FormActivate();
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(reports,
             QStringList{QStringLiteral(
                 "Cannot open file \"/media/D/FEATURE_1.EVO\". No such file or directory")});
    QVERIFY(window.bReadEVO->isEnabled());
    QVERIFY(window.bReadXPL->isEnabled());
    QVERIFY(window.bbEVO->isEnabled() && window.bbXPL->isEnabled());
    QVERIFY(!window.bCancel->isEnabled());
    QVERIFY(!window.workspace().session.state.DemuxActive);
    QVERIFY(window.bReadVTIClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(reports.size(), 1);
  }

  void aMissingOperationIsAnErrorNotACrash() {
    QStringList reports;
    TfMain window({}, OperationSet{});
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    QVERIFY(window.bReadVTIClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(reports.size(), 1);
  }

  void theOptionsAreCopiedWhenARunStarts() {
    vantrel::DriverOptions seen;
    vantrel::EngineOptions engine;
    OperationSet ops;
    ops.demux = [&](vantrel::Workspace& ws) {
      seen = ws.options;
      engine = ws.session.options;
    };
    TfMain window({}, ops);
    window.FormActivate();
    window.eWorkdir->setText(QStringLiteral("/tmp/out"));
    window.eVideoExt->setText(QStringLiteral("m2v"));
    window.eAudioExt->setText(QStringLiteral("ac3"));
    window.eSubExt->setText(QStringLiteral("sp"));
    window.cbContinue->setChecked(false);
    window.cbAutoClear->setChecked(true);
    window.rbAutoDemux->setChecked(true);
    window.cbRBAdvanced->setChecked(true);
    window.cbReadVTI->setChecked(false);
    window.cbDetails->setChecked(false);
    window.cbFastCheck->setChecked(false);
    window.ieFastSize->setText(QStringLiteral("12"));
    window.ieAngle->setText(QStringLiteral("3"));
    window.workspace().boxes.audio[4] = {true, false, "DD.stream.04", ""};
    window.workspace().notifyControls();
    window.flushEvents();
    window.cbAudio[4]->click();
    QVERIFY(window.bDemux->isEnabled());
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(seen.workdir, std::string("/tmp/out"));
    QCOMPARE(seen.videoExt, std::string("m2v"));
    QCOMPARE(seen.audioExt, std::string("ac3"));
    QCOMPARE(seen.subExt, std::string("sp"));
    QVERIFY(!seen.continueChain && seen.autoClear && seen.autoDemux && !seen.autoRebuild);
    QVERIFY(seen.rebuildAdvanced && !seen.readVTI);
    QVERIFY(!engine.details && !engine.fastCheck && engine.countFrames);
    QCOMPARE(engine.fastSizeMB, 12);
    QCOMPARE(engine.angle, 3);
    QVERIFY(engine.selection.audio[4]);
    QVERIFY(!engine.selection.audio[3]);
  }

  // A chain reads "Continue with the next EVO" when each file ends.
  void unTickingContinueReachesARunningChain() {
    std::atomic<bool> sawUntick{false};
    OperationSet ops;
    ops.demux = [&](vantrel::Workspace& ws) {
      for (int i = 0; i < 1000 && ws.options.continueChain; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      sawUntick = !ws.options.continueChain;
    };
    TfMain window({}, ops);
    window.FormActivate();
    window.workspace().boxes.audio[1] = {true, true, "DD.stream.01", ""};
    window.workspace().notifyControls();
    window.flushEvents();
    QVERIFY(window.bDemuxClick());
    window.cbContinue->setChecked(false);
    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 15000);
    QVERIFY(sawUntick);
  }

  void aTickDuringARunSurvivesIt() {
    OperationSet ops;
    ops.demux = demuxUntilCancelled;
    TfMain window({}, ops);
    window.FormActivate();
    window.workspace().boxes.audio[1] = {true, true, "DD.stream.01", ""};
    window.workspace().boxes.audio[2] = {true, true, "DD.stream.02", ""};
    window.workspace().notifyControls();
    window.flushEvents();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.bCancel->isEnabled());
    window.cbAudio[2]->click();  // untick while the run goes on
    auto yes = answerNextQuestion(QMessageBox::Yes);
    window.bCancelClick();
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.cbAudio[1]->isChecked());
    QVERIFY(!window.cbAudio[2]->isChecked());
    QVERIFY(!window.workspace().boxes.audio[2].ticked);
  }

  void closingTheWindowObjectStopsARun() {
    std::atomic<bool> ended{false};
    OperationSet ops;
    ops.readEVO = [&](vantrel::Workspace& ws) {
      passUntilCancelled(ws);
      ended = true;
    };
    auto window = std::make_unique<TfMain>(QStringList{}, ops);
    QVERIFY(window->bReadEVOClick());
    QTRY_VERIFY(window->bCancel->isEnabled());
    window.reset();
    QVERIFY(ended);
  }

  void theWindowPaintsWhileARunFloodsTheLog() {
    std::atomic<bool> stop{false};
    OperationSet ops;
    ops.readEVO = [&](vantrel::Workspace& ws) {
      for (int i = 0; !stop; ++i) ws.host.log("flood " + std::to_string(i));
    };
    TfMain window({}, ops);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.bReadEVOClick());
    // A timer on the window's thread still fires in time.
    QElapsedTimer clock;
    clock.start();
    bool fired = false;
    QTimer::singleShot(20, &window, [&] { fired = true; });
    QTRY_VERIFY_WITH_TIMEOUT(fired, 2000);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    window.PageControl->setCurrentIndex(TfMain::OptionPage);
    QCoreApplication::processEvents();
    QCOMPARE(window.PageControl->currentIndex(), int(TfMain::OptionPage));
    stop = true;
    QTRY_VERIFY(!window.operationRunning());
  }

  void theKeysOfTheWindow() {
    auto calls = std::make_shared<OperationLog>();
    OperationSet ops = recordingOperations(calls);
    ops.readEVO = [](vantrel::Workspace& ws) {
      ws.host.slog("12/100 Mbytes, Remaining time: 0:00:05", 1);
      passUntilCancelled(ws);
    };
    TfMain window({}, ops);
    window.FormActivate();
    auto* chooser = scriptChooser(window);
    window.cbAutoRead->setChecked(false);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Ctrl+O chooses the source, Ctrl+Shift+O the playlist.
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    chooser->answers = {source, std::nullopt};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(window.eEVOfile->text(), source);
    QCOMPARE(window.focusWidget(), window.bReadEVO);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(chooser->playlistFolders.size(), 1);

    // Alt+E reads; the progress shows beside the panels; Esc stops a scan.
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(window.bCancel->isEnabled());
    QTRY_VERIFY(window.ProgressBar->isVisible());
    QCOMPARE(window.ProgressBar->value(), 12);
    QCOMPARE(window.ProgressBar->maximum(), 100);
    QCOMPARE(window.StatusPanel[1]->text(),
             QStringLiteral(" 12/100 Mbytes, Remaining time: 0:00:05"));
    QVERIFY(window.focusWidget() != window.eXPLfile);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(!window.ProgressBar->isVisible());
    QCOMPARE(window.focusWidget(), window.bReadEVO);  // back where it was

    // Alt+V reads the title set, on the Status page.
    window.PageControl->setCurrentIndex(TfMain::OptionPage);
    QTest::keyClick(&window, Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(calls->calls(), std::vector<std::string>{"readVTI"});
    QCOMPARE(window.PageControl->currentIndex(), int(TfMain::StatusPage));
  }

 private:
  std::unique_ptr<SettingsSandbox> sandbox_;
};

static RegisterSuite<OperationsTest> registered("Operations");

#include "operations_test.moc"
