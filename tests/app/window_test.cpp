// The window as it opens: controls, captions, hints, start states, status
// panels, enabling rules, the command line and the default button.

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/StatusBarPanel.h"
#include "drivers/operations.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;

namespace {

// An operation that gives the stream boxes the catalogue of a title with
// MPEG-2 video, two DD+ streams and a subpicture on 22, as Read EVO does.
void labelBoxes(vantrel::Workspace& ws) {
  vantrel::Resetcbs(ws.boxes, ws.buttons, ws.paths.eEVOfile);
  vantrel::PerKind<int32_t> ids;
  ids.video = {0xE0, -1};
  ids.audio.fill(-1);
  ids.audio[0] = 0xC0;
  ids.audio[1] = 0xC1;
  ids.subpicture.fill(-1);
  ids.subpicture[2] = 0x22;
  vantrel::LabelStreamBoxes(ws.boxes, ids);
  ws.buttons.readEVO = true;
  vantrel::updateOperationButtons(ws.boxes, ws.buttons, ws.paths.eEVOfile);
  ws.notifyControls();
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { sandbox_ = std::make_unique<SettingsSandbox>(); }
  void cleanup() { sandbox_.reset(); }

  void captionsPagesAndHints() {
    TfMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Vantrel 0.627b2"));
    const QStringList pages{"Status", "Video", "Audio", "Subpicture", "XPL", "Options", "About"};
    QCOMPARE(window.PageControl->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) QCOMPARE(window.PageControl->tabText(i), pages[i]);
    QCOMPARE(window.PageControl->currentIndex(), 0);
    QCOMPARE(window.PageControl->tabToolTip(3),
             QStringLiteral("Check the desired subpicture streams"));

    // A hint with a "|" shows only its first part.
    QCOMPARE(window.eEVOfile->toolTip(), QStringLiteral("Drop here the source EVO file"));
    QCOMPARE(window.eXPLfile->text(), QStringLiteral("VPLST000.XPL"));
    QVERIFY(window.eEVOfile->isReadOnly());
    QVERIFY(window.eXPLfile->isReadOnly());
    // The captions as shown; each button has an Alt key of its own.
    const std::pair<QAbstractButton*, const char*> captions[] = {
        {window.bReadEVO, "Read EVO"}, {window.bReadXPL, "Read XPL"},
        {window.bDemux, "Demux"},      {window.bRebuild, "Rebuild"},
        {window.bReadVTI, "Read VTI"}, {window.bCancel, "Cancel"},
        {window.bClear, "Clear"},      {window.bWriteChaps, "Write chapters"}};
    QSet<QKeySequence> keys;
    for (const auto& [button, caption] : captions) {
      QCOMPARE(QString(button->text()).remove(QLatin1Char('&')), QLatin1String(caption));
      keys.insert(QKeySequence::mnemonic(button->text()));
    }
    QCOMPARE(keys.size(), qsizetype(std::size(captions)));
    QCOMPARE(window.bCancel->toolTip(), QStringLiteral("You can stop the actual process"));
    QCOMPARE(window.eSubExt->toolTip(), QStringLiteral("This is real .sup format, don't change!"));
    QVERIFY(window.bDemux->font().bold());
    QCOMPARE(window.cbSub[31]->toolTip(), QStringLiteral("Check the desired subpicture streams"));
    QCOMPARE(window.cbSub[31]->objectName(), QStringLiteral("cbSub31"));
    QCOMPARE(window.cbAudio[5]->objectName(), QStringLiteral("cbAudio05"));
  }

  void startStatesAndDefaults() {
    TfMain window;
    for (QWidget* off :
         std::initializer_list<QWidget*>{window.bReadEVO, window.bReadXPL, window.bDemux,
                                         window.bRebuild, window.bCancel, window.bWriteChaps})
      QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    for (QWidget* on :
         std::initializer_list<QWidget*>{window.bReadVTI, window.bbEVO, window.bbXPL, window.bClear,
                                         window.bbWorkdir, window.ieFastSize, window.cbContinue})
      QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    for (QCheckBox* box : window.cbVideo) {
      QVERIFY(!box->isEnabled());
      QVERIFY(!box->isChecked());
      QCOMPARE(box->text(), QStringLiteral("Video stream"));
    }
    QCOMPARE(window.eVideoExt->text(), QStringLiteral("mpv"));
    QCOMPARE(window.eAudioExt->text(), QStringLiteral("mpa"));
    QCOMPARE(window.eSubExt->text(), QStringLiteral("sup"));
    QCOMPARE(window.ieFastSize->Value(), 300);
    QVERIFY(window.cbContinue->isChecked() && window.cbFastCheck->isChecked() &&
            window.cbCountFr->isChecked());
    QVERIFY(window.cbDetails->isChecked() && window.cbAutoRead->isChecked() &&
            window.cbReadVTI->isChecked());
    QVERIFY(!window.cbAdjustPTS->isChecked() && !window.cbRBAdvanced->isChecked() &&
            !window.cbAutoClear->isChecked());
    QVERIFY(window.rbNoAuto->isChecked());
    QVERIFY(window.size() == QSize(653, 341));

    window.FormActivate();
    QCOMPARE(window.cbVideo[7]->text(), QStringLiteral("No video stream"));
    QCOMPARE(window.cbAudio[0]->text(), QStringLiteral("No audio stream"));
    QCOMPARE(window.cbSub[0]->text(), QStringLiteral("No subpicture"));
    QVERIFY(!window.bDemux->isEnabled());
  }

  void fastCheckEnablesItsSize() {
    TfMain window;
    window.cbFastCheck->click();
    QVERIFY(!window.cbFastCheck->isChecked());
    QVERIFY(!window.ieFastSize->isEnabled());
    window.cbFastCheck->click();
    QVERIFY(window.ieFastSize->isEnabled());
  }

  void statusPanels() {
    TfMain window;
    window.show();
    QCOMPARE(window.StatusPanel[0]->text(), QStringLiteral(" Ready"));
    QCOMPARE(window.StatusPanel[1]->text(), QStringLiteral(" Select or drop an EVO file to demux"));
    QCOMPARE(window.statusBar()->toolTip(), QStringLiteral(" Select or drop an EVO file to demux"));

    window.slog("Opening", 0);
    window.flushEvents();
    QCOMPARE(window.StatusPanel[0]->text(), QStringLiteral(" Opening"));
    const int expected =
        window.StatusPanel[0]->fontMetrics().horizontalAdvance(QStringLiteral(" Openinga"));
    QCOMPARE(window.StatusPanel[0]->panelWidth(), expected);
    QCoreApplication::processEvents();
    QCOMPARE(window.StatusPanel[0]->width(), expected);

    window.slog("/media/D/HVDVD_TS/FEATURE_1.EVO", 1);
    window.flushEvents();
    QCOMPARE(window.statusBar()->toolTip(), QStringLiteral("/media/D/HVDVD_TS/FEATURE_1.EVO"));
    QCOMPARE(window.StatusPanel[1]->text(), QStringLiteral(" /media/D/HVDVD_TS/FEATURE_1.EVO"));

    // A long text is clipped; the window keeps its size.
    const QSize before = window.size();
    window.slog("Reading " + std::string(300, 'x') + ".EVO ", 0);
    window.flushEvents();
    QCoreApplication::processEvents();
    QCOMPARE(window.size(), before);
    QVERIFY(window.minimumSizeHint().width() <= 653);
  }

  void oneArgumentReadsThatFileWhateverAutoReadSays() {
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    auto ops = std::make_shared<OperationLog>();
    TfMain window({source}, recordingOperations(ops));
    QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Vantrel"))
        .setValue("AutoRead", 0);
    window.FormActivate();
    QVERIFY(!window.cbAutoRead->isChecked());
    QTRY_COMPARE(ops->calls().size(), size_t(1));
    QCOMPARE(ops->calls()[0], std::string("readEVO"));
    QCOMPARE(QString::fromStdString(ops->sources()[0]), source);
    QCOMPARE(window.eEVOfile->text(), source);
    QVERIFY(window.eXPLfile->text().endsWith(QStringLiteral("/ADV_OBJ/VPLST000.XPL")));
  }

  void aMissingArgumentStillStartsReadEvo() {
    auto ops = std::make_shared<OperationLog>();
    TfMain window({QStringLiteral("/nonexistent/FEATURE_1.EVO")}, recordingOperations(ops));
    window.FormActivate();
    QTRY_COMPARE(ops->calls().size(), size_t(1));
    QCOMPARE(ops->sources()[0], std::string());
    QVERIFY(window.eEVOfile->text().isEmpty());
  }

  void twoArgumentsReadNothing() {
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("FEATURE_1.EVO"), smallTitle());
    auto ops = std::make_shared<OperationLog>();
    TfMain window({source, source}, recordingOperations(ops));
    window.FormActivate();
    QTest::qWait(50);
    QVERIFY(ops->calls().empty());
    QVERIFY(window.eEVOfile->text().isEmpty());
  }

  void enterPressesReadEvo() {
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath("FEATURE_1.EVO"), smallTitle());
    auto ops = std::make_shared<OperationLog>();
    TfMain window({}, recordingOperations(ops));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.PageControl->setCurrentIndex(TfMain::OptionPage);
    window.ieFastSize->setFocus();
    QTest::keyClick(window.ieFastSize, Qt::Key_Return);  // Read EVO is still disabled
    QCoreApplication::processEvents();
    QVERIFY(ops->calls().empty());

    window.WMDropFiles({source});  // Auto read: one Read EVO
    QTRY_VERIFY(!window.operationRunning());
    window.ieFastSize->setFocus();
    QTest::keyClick(window.ieFastSize, Qt::Key_Return);
    QTRY_COMPARE(ops->calls().size(), size_t(2));
    QCOMPARE(ops->calls()[1], std::string("readEVO"));

    // A held key repeats its press: that starts nothing again.
    QTRY_VERIFY(!window.operationRunning());
    for (int i = 0; i < 3; ++i)
      QTest::simulateEvent(window.focusWidget(), true, Qt::Key_Return, Qt::NoModifier,
                           QStringLiteral("\r"), true);
    QTest::qWait(20);
    QCOMPARE(ops->calls().size(), size_t(2));
  }

  void streamBoxClicksSwitchDemuxAndRebuild() {
    QTemporaryDir dir;
    for (const char* name : {"FEATURE_1.EVO", "VTS_01_1.VOB"}) {
      const QString source = writeFile(dir.filePath(name), smallTitle());
      OperationSet ops;
      ops.readEVO = labelBoxes;
      TfMain window({}, ops);
      window.FormActivate();
      window.WMDropFiles({source});
      QTRY_VERIFY(!window.operationRunning());
      QCOMPARE(window.cbVideo[0]->text(), QStringLiteral("MPEG-2.stream.0"));
      QCOMPARE(window.cbAudio[1]->text(), QStringLiteral("DD+.stream.01"));
      QCOMPARE(window.cbSub[2]->text(), QStringLiteral("Subpicture.02"));
      QVERIFY(window.cbSub[2]->isChecked() && window.cbSub[2]->isEnabled());
      QVERIFY(!window.cbSub[3]->isEnabled());
      QCOMPARE(window.cbSub[3]->text(), QStringLiteral("No subpicture"));
      QVERIFY(window.bDemux->isEnabled());
      const bool evo = QString::fromLatin1(name).endsWith(QStringLiteral(".EVO"));
      QCOMPARE(window.bRebuild->isEnabled(), evo);

      for (QCheckBox* box : {window.cbVideo[0], window.cbAudio[0], window.cbAudio[1]}) box->click();
      QVERIFY(window.bDemux->isEnabled());  // the subpicture is still ticked
      window.cbSub[2]->click();
      QVERIFY(!window.bDemux->isEnabled());
      QVERIFY(!window.bRebuild->isEnabled());
      window.cbSub[2]->click();
      QVERIFY(window.bDemux->isEnabled());
      QCOMPARE(window.bRebuild->isEnabled(), evo);
      QCOMPARE(window.workspace().boxes.selection().subpicture[2], true);
      QCOMPARE(window.workspace().boxes.selection().audio[0], false);

      // Each page ticks all of its streams, or none.
      for (const char* page : {"Video", "Audio", "Sub"})
        window.findChild<QPushButton*>(QStringLiteral("bTickNone") + QLatin1String(page))->click();
      QVERIFY(!window.bDemux->isEnabled());
      window.findChild<QPushButton*>(QStringLiteral("bTickAllAudio"))->click();
      QVERIFY(window.cbAudio[0]->isChecked() && window.cbAudio[1]->isChecked());
      QVERIFY(!window.cbAudio[2]->isChecked());  // no stream there
      QVERIFY(window.bDemux->isEnabled());
      QVERIFY(window.workspace().boxes.audio[1].ticked &&
              !window.workspace().boxes.video[0].ticked);
    }
  }

  void theLogIsSavedAsPlainText() {
    QStringList reports;
    TfMain window;
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    auto* chooser = scriptChooser(window);
    window.show();
    window.log("[b]MPEG-2[/b] video stream ");
    window.log("   Frame rate = [bl]23.976[/bl] fps");
    QTemporaryDir dir;
    chooser->answers = {dir.filePath("log.txt"), dir.filePath("missing/log.txt")};

    // The log's context menu offers copying and saving.
    QStringList offered;
    QTimer::singleShot(50, &window, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (QAction* action : menu->actions()) offered.push_back(action->text());
      if (auto* save = menu->findChild<QAction*>(QStringLiteral("saveLog"))) save->trigger();
      menu->close();
    });
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              window.reMessage->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window.reMessage->viewport(), &request);
    QVERIFY2(offered.contains(QStringLiteral("Save log\u2026")), qPrintable(offered.join('|')));
    QVERIFY(offered.filter(QStringLiteral("Copy")).size() > 0);

    QFile saved(dir.filePath("log.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("MPEG-2 video stream \n   Frame rate = 23.976 fps\n"));
    window.saveLog();  // a folder that is not there
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].startsWith(QStringLiteral("Cannot write file \"")));
  }

  void captionsAreShownLiterally() {
    OperationSet ops;
    ops.readXPL = [](vantrel::Workspace& ws, vantrel::PlaylistView&) {
      ws.boxes.audio[2] = {true, true, "DD.s02.Director & Crew", "DD.s02.Director & Crew"};
      ws.notifyControls();
    };
    TfMain window({}, ops);
    window.bReadXPLClick();
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(window.cbAudio[2]->text(), QStringLiteral("DD.s02.Director && Crew"));
    QCOMPARE(window.cbAudio[2]->toolTip(), QStringLiteral("DD.s02.Director & Crew"));
  }

  void theLayoutHoldsAtEveryDesktopFontSize_data() {
    QTest::addColumn<int>("points");
    for (int points : {9, 13, 16}) QTest::newRow(qPrintable(QString::number(points))) << points;
  }

  // The desktop's font at 9, 13 and 16 points: every page shows its controls
  // whole and apart, the logo in the middle; a screenshot of each page is
  // saved to look at.
  void theLayoutHoldsAtEveryDesktopFontSize() {
    QFETCH(int, points);
    const QFont desktop = QApplication::font();
    QFont font = desktop;
    font.setPointSize(points);
    QApplication::setFont(font);
    struct Restore {
      QFont font;
      ~Restore() { QApplication::setFont(font); }
    } restore{desktop};

    OperationSet ops;
    ops.readEVO = labelBoxes;  // captions as long as Read EVO gives them
    TfMain window({}, ops);
    window.FormActivate();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTemporaryDir dir;
    window.WMDropFiles({writeFile(dir.filePath("FEATURE_1.EVO"), smallTitle())});
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.width() >= 653 && window.height() >= 341);
    QCOMPARE(window.minimumSize(), window.minimumSizeHint());
    for (int page = 0; page < window.PageControl->count(); ++page) {
      window.PageControl->setCurrentIndex(page);
      QCoreApplication::processEvents();
      QVERIFY(window.grab().save(screenshotFolder() + QStringLiteral("/font_%1pt_%2_%3.png")
                                                          .arg(points)
                                                          .arg(page)
                                                          .arg(window.PageControl->tabText(page))));
      checkShownWhole(window);
    }
    const QRect logo(window.imLogo->mapTo(&window, QPoint(0, 0)), window.imLogo->size());
    QVERIFY(std::abs(logo.center().x() - window.width() / 2) <= 1);
  }

 private:
  // Every named control that is shown lies inside the window, shows its
  // whole caption, and overlaps no other one but its own parts.
  static void checkShownWhole(TfMain& window) {
    QList<QWidget*> shown;
    for (QWidget* w : window.findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) ||
          !w->isVisible() || qobject_cast<StatusBarPanel*>(w))
        continue;
      shown.push_back(w);
      const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
      QVERIFY2(window.rect().contains(r), qPrintable(w->objectName()));
      if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w))
        QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
      for (qsizetype j = i + 1; j < shown.size(); ++j) {
        QWidget* a = shown[i];
        QWidget* b = shown[j];
        if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
        const QRect ra(a->mapTo(&window, QPoint(0, 0)), a->size());
        const QRect rb(b->mapTo(&window, QPoint(0, 0)), b->size());
        QVERIFY2(!ra.intersects(rb),
                 qPrintable(a->objectName() + QStringLiteral(" / ") + b->objectName()));
      }
    QTabBar* tabs = window.PageControl->tabBar();
    QVERIFY(tabs->width() >= tabs->sizeHint().width());
  }

  std::unique_ptr<SettingsSandbox> sandbox_;
};

static RegisterSuite<WindowTest> registered("Window");

#include "window_test.moc"
