// The window with the program's own operations: Read EVO fills the stream
// boxes, Demux writes the ticked streams, Cancel and closing hold a running
// Demux while they ask and stop it on Yes, errors reach the error report.
// Saves a screenshot of every page.

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

#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/StatusBarPanel.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;
using namespace std::chrono_literals;

namespace {

qint64 sizeOf(const QString& path) {
  return QFileInfo(path).size();
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

  void theStopQuestionHoldsTheRun_data() {
    QTest::addColumn<bool>("close");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Cancel, No") << false << false;
    QTest::newRow("Cancel, Yes") << false << true;
    QTest::newRow("close, No") << true << false;
    QTest::newRow("close, Yes") << true << true;
  }

  // A demux of a large title, asked to stop by Cancel or by closing the
  // window: while the question is open nothing more is written; Yes stops
  // the run and keeps what was written, No lets it finish.
  void theStopQuestionHoldsTheRun() {
    QFETCH(bool, close);
    QFETCH(bool, yes);
    constexpr int kPacks = 40'000;  // 80 MiB
    constexpr qint64 kExtra = 1'900;
    const QString source =
        writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle(kPacks, size_t(kExtra)));
    const QString video = out_ + QStringLiteral("/FEATURE_1.MPEG-2.stream.0.mpv");
    const qint64 whole = 10 + kPacks * (12 + kExtra);  // every video payload
    TfMain window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.ieFastSize->setValue(1);
    window.show();
    window.WMDropFiles({source});
    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 20000);
    QVERIFY(window.bDemuxClick());
    QTRY_VERIFY(sizeOf(video) > 0 && window.bCancel->isEnabled());

    qint64 atOpen = -1;
    qint64 later = -1;
    bool runningWhileOpen = false;
    auto answer = answerNextQuestion(yes ? QMessageBox::Yes : QMessageBox::No, [&] {
      runningWhileOpen = window.workspace().session.state.Hold.waitUntilHeld(10s);
      atOpen = sizeOf(video);
      QTest::qWait(400);
      later = sizeOf(video);
      runningWhileOpen = runningWhileOpen && window.operationRunning();
    });
    if (close)
      window.close();
    else
      QTest::mouseClick(window.bCancel, Qt::LeftButton);
    QVERIFY(answer->answered);
    QCOMPARE(answer->seenText, QStringLiteral("Are you sure to stop demuxing?"));
    QVERIFY(runningWhileOpen);
    QCOMPARE(later, atOpen);
    QVERIFY(atOpen < whole);

    QTRY_VERIFY_WITH_TIMEOUT(!window.operationRunning(), 60000);
    const QStringList lines = logLines(window);
    const qsizetype cancelled = lines.indexOf(QStringLiteral("Cancelled."));
    if (yes) {
      QVERIFY(cancelled >= 0);
      QVERIFY(cancelled < lines.lastIndexOf(QStringLiteral("Done.")));
      QVERIFY(sizeOf(video) >= atOpen);
      QVERIFY(sizeOf(video) < whole);
      QTRY_COMPARE(window.isVisible(), !close);
    } else {
      QCOMPARE(cancelled, qsizetype(-1));
      QCOMPARE(lines.count(QStringLiteral("Done.")), 2);
      QCOMPARE(sizeOf(video), whole);
      QVERIFY(window.isVisible());
    }
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
