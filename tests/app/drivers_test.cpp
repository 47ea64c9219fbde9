// The window with the program's own operations: Read EVO fills the stream
// boxes, Demux writes the ticked streams, Cancel and closing stop a running
// Demux, errors reach the error report. Saves a screenshot of every page.

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <condition_variable>
#include <mutex>

#include "app/MessageLog.h"
#include "app/StatusBarPanel.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;

namespace {

// A window whose worker can be held at the engine's next progress report
// (every 4 MiB), so that a question is answered while a pass is surely
// under way.
class HoldingWindow : public TfMain {
 public:
  using TfMain::TfMain;
  ~HoldingWindow() override { release(); }

  void pump() override {
    TfMain::pump();
    if (!armed.exchange(false)) return;
    std::unique_lock lock(mutex_);
    held = true;
    wake_.wait(lock, [this] { return released_; });
    held = false;
  }
  void arm() {
    std::lock_guard lock(mutex_);
    released_ = false;
    armed = true;
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    wake_.notify_all();
  }

  std::atomic<bool> armed{false};
  std::atomic<bool> held{false};

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool released_ = true;
};

qint64 sizeOf(const QString& path) {
  return QFileInfo(path).size();
}

bool bothSeen(const QStringList& lines, const QString& a, const QString& b) {
  return lines.contains(a) && lines.contains(b);
}

}  // namespace

class DriversTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    sandbox_ = std::make_unique<SettingsSandbox>();
    dir_ = std::make_unique<QTemporaryDir>();
    out_ = dir_->filePath(QStringLiteral("out"));
    QDir().mkpath(out_);
  }
  void cleanup() {
    dir_.reset();
    sandbox_.reset();
  }

  void readEvoThenDemux() {
    const QString source = writeFile(dir_->filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle(20));
    TfMain window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.resize(661, 375);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.WMDropFiles({source}));
    QTRY_VERIFY(!window.operationRunning());

    const QStringList lines = logLines(window);
    QVERIFY2(lines.contains(QStringLiteral("Opening file FEATURE_1.EVO")),
             qPrintable(lines.join('\n')));
    QVERIFY(lines.contains(QStringLiteral("Done.")));
    QCOMPARE(window.StatusPanel[0]->text(), QStringLiteral(" Ready"));
    QCOMPARE(window.cbVideo[0]->text(), QStringLiteral("MPEG-2.stream.0"));
    QCOMPARE(window.cbAudio[0]->text(), QStringLiteral("DD.stream.00"));
    QCOMPARE(window.cbSub[2]->text(), QStringLiteral("Subpicture.02"));
    for (QCheckBox* box : {window.cbVideo[0], window.cbAudio[0], window.cbSub[2]})
      QVERIFY(box->isEnabled() && box->isChecked());
    QVERIFY(!window.cbVideo[1]->isEnabled());
    QVERIFY(window.bDemux->isEnabled() && window.bRebuild->isEnabled() &&
            window.bReadEVO->isEnabled());
    QVERIFY(window.bbEVO->isEnabled() && window.bReadXPL->isEnabled());

    // The file name is bold in the log, the words before it are not.
    const int line = int(lines.indexOf(QStringLiteral("Opening file FEATURE_1.EVO")));
    QTextCursor cursor(window.reMessage->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    QVERIFY(cursor.charFormat().fontWeight() < QFont::Bold);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 12);
    QVERIFY(cursor.charFormat().fontWeight() >= QFont::Bold);

    saveEveryPage(window, QStringLiteral("after_read_evo"));
    window.resize(1000, 640);
    QCoreApplication::processEvents();
    saveEveryPage(window, QStringLiteral("after_read_evo_large"));

    window.cbAudio[0]->click();  // leave the audio out
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(!window.operationRunning());
    const QString video = out_ + QStringLiteral("/FEATURE_1.MPEG-2.stream.0.mpv");
    const QString sub = out_ + QStringLiteral("/FEATURE_1.Subpicture.02.sup");
    QVERIFY(sizeOf(video) > 0);
    QVERIFY(sizeOf(sub) > 0);
    QVERIFY(!QFileInfo::exists(out_ + QStringLiteral("/FEATURE_1.DD.stream.00.mpa")));
    QVERIFY(logLines(window).contains(QStringLiteral("Creating ") + video));
    QVERIFY(window.bDemux->isEnabled());
  }

  void autoDemuxFollowsReadEvo() {
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle());
    TfMain window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.rbAutoDemux->setChecked(true);
    window.eAudioExt->setText(QStringLiteral("ac3"));
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(sizeOf(out_ + QStringLiteral("/FEATURE_1.DD.stream.00.ac3")) > 0);
    QVERIFY(sizeOf(out_ + QStringLiteral("/FEATURE_1.MPEG-2.stream.0.mpv")) > 0);
    QCOMPARE(int(logLines(window).count(QStringLiteral("Done."))), 2);
  }

  void cancelDuringADemuxAnsweredNoThenYes() {
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle(3000));
    const QString video = out_ + QStringLiteral("/FEATURE_1.MPEG-2.stream.0.mpv");
    HoldingWindow window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.show();
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());

    // No: the demux runs to its end.
    window.arm();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.held);
    QTRY_VERIFY(window.bCancel->isEnabled());
    {
      auto no = answerNextQuestion(QMessageBox::No);
      QTest::mouseClick(window.bCancel, Qt::LeftButton);
      QVERIFY(no->answered);
      QCOMPARE(no->seenText, QStringLiteral("Are you sure to stop demuxing?"));
    }
    window.release();
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(!logLines(window).contains(QStringLiteral("Cancelled.")));
    const qint64 whole = sizeOf(video);
    QVERIFY(whole > 3000 * 10);

    // Yes: the pass stops at its next chunk, what was written is kept.
    window.arm();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.held);
    QTRY_VERIFY(window.bCancel->isEnabled());
    {
      auto yes = answerNextQuestion(QMessageBox::Yes);
      QTest::mouseClick(window.bCancel, Qt::LeftButton);
      QVERIFY(yes->answered);
    }
    window.release();
    QTRY_VERIFY(!window.operationRunning());
    const QStringList lines = logLines(window);
    QVERIFY(lines.contains(QStringLiteral("Cancelled.")));
    QCOMPARE(lines.last(), QString());
    QVERIFY(sizeOf(video) > 0);
    QVERIFY(sizeOf(video) < whole);
    QVERIFY(window.bDemux->isEnabled() && !window.bCancel->isEnabled());
  }

  void closingDuringADemux() {
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle(3000));
    const QString video = out_ + QStringLiteral("/FEATURE_1.MPEG-2.stream.0.mpv");
    HoldingWindow window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.show();
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());

    window.arm();
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(window.held);
    {
      auto no = answerNextQuestion(QMessageBox::No);
      QVERIFY(!window.close());
      QVERIFY(no->answered);
    }
    QVERIFY(window.isVisible());
    {
      auto yes = answerNextQuestion(QMessageBox::Yes);
      window.close();
      QVERIFY(yes->answered);
    }
    QVERIFY(window.isVisible());  // it waits for the run to stop
    {
      auto again = answerNextQuestion(QMessageBox::No);
      window.close();  // asked once is enough
      QTest::qWait(50);
      QVERIFY(!again->answered);
    }
    window.release();
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(!window.operationRunning());
    QVERIFY(bothSeen(logLines(window), QStringLiteral("Cancelled."), QStringLiteral("Done.")));
    QVERIFY(sizeOf(video) > 0);
    QVERIFY(QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Vantrel"))
                .contains("Install"));
  }

  void aSourceThatCannotBeOpenedIsReported() {
    QStringList reports;
    TfMain window({dir_->filePath("missing/FEATURE_1.EVO")});
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    window.FormActivate();
    QTRY_COMPARE(reports.size(), 1);
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY2(reports[0].startsWith(QStringLiteral("Cannot open file \"")), qPrintable(reports[0]));
    QVERIFY(window.bbEVO->isEnabled() && window.bbXPL->isEnabled());
    QVERIFY(!window.bCancel->isEnabled());
    // A good source read afterwards works as usual.
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle());
    window.WMDropFiles({source});
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.cbVideo[0]->isChecked());
    QCOMPARE(reports.size(), 1);
  }

  void theBundledSample() {
    const QString sample = QStringLiteral(VANTREL_SOURCE_DIR "/samples/HVDVD_TS/FEATURE_1.EVO");
    if (!QFileInfo::exists(sample)) QSKIP("The bundled sample is not there");
    QStringList reports;
    TfMain window({sample});
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    window.FormActivate();
    window.resize(661, 375);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY_WITH_TIMEOUT(window.bReadEVO->isEnabled() && !window.operationRunning(), 60000);
    QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
    QVERIFY(window.bDemux->isEnabled());
    QVERIFY(window.bReadXPLClick());
    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 60000);
    QVERIFY(window.bReadVTIClick());
    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 60000);
    QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
    QVERIFY(logLines(window).contains(QStringLiteral("Reading HVA00001.VTI")));
    saveEveryPage(window, QStringLiteral("sample"));
  }

 private:
  static void saveEveryPage(TfMain& window, const QString& prefix) {
    const int shown = window.PageControl->currentIndex();
    for (int page = 0; page < window.PageControl->count(); ++page) {
      window.PageControl->setCurrentIndex(page);
      QCoreApplication::processEvents();
      window.grab().save(screenshotFolder() + QStringLiteral("/%1_%2_%3.png")
                                                  .arg(prefix)
                                                  .arg(page)
                                                  .arg(window.PageControl->tabText(page)));
    }
    window.PageControl->setCurrentIndex(shown);
  }

  std::unique_ptr<SettingsSandbox> sandbox_;
  std::unique_ptr<QTemporaryDir> dir_;
  QString out_;
};

static RegisterSuite<DriversTest> registered("Drivers");

#include "drivers_test.moc"
