// The settings store: defaults on a first run, a faithful round trip, the
// window placement, "Install" written once, values of the wrong type skipped.

#include <QCheckBox>
#include <QDateTime>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QtEndian>
#include <bit>

#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/SettingsKeys.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;
namespace st = vantrel::settings;

namespace {

QSettings store() {
  return QSettings(QLatin1String(st::kOrganization), QLatin1String(st::kApplication));
}

QVariant stored(const char* name) {
  return store().value(QLatin1String(name));
}

double installDays() {
  const QByteArray bytes = stored(st::kInstall).toByteArray();
  if (bytes.size() != 8) return -1;
  quint64 bits;
  std::memcpy(&bits, bytes.constData(), 8);
  return std::bit_cast<double>(qFromLittleEndian(bits));
}

// The order in which the close writes its values.
const QStringList kWrittenNames{
    "WindowState", "Top",       "Left",     "Width",     "Height",      "TreeWidth", "AudioExt",
    "VideoExt",    "SubExt",    "Workdir",  "EVOdir",    "XPLdir",      "Continue",  "FastCheck",
    "CountFrames", "Details",   "AutoRead", "AutoDemux", "AutoRebuild", "AutoClear", "FastSize",
    "Angle",       "ADV_PCK",   "AdjustPTS", "ReadVTI",  "Install"};

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { sandbox_ = std::make_unique<SettingsSandbox>(); }
  void cleanup() { sandbox_.reset(); }

  void aFirstRunKeepsTheDefaultsAndTheCloseCreatesEveryValue() {
    QVERIFY(store().allKeys().isEmpty());
    {
      TfMain window;
      window.FormActivate();
      QCOMPARE(window.size(), QSize(653, 341));
      QCOMPARE(window.eAudioExt->text(), QStringLiteral("mpa"));
      QVERIFY(window.rbNoAuto->isChecked());
      QCOMPARE(window.treeWidth(), 96);
      QCOMPARE(window.reMessage->lineCount(), 0);
      window.show();
      QVERIFY(window.close());
    }
    QStringList names = store().allKeys();
    for (const QString& name : kWrittenNames) QVERIFY2(names.contains(name), qPrintable(name));
    QCOMPARE(names.size(), kWrittenNames.size());
    QCOMPARE(stored(st::kWindowState).toInt(), 0);
    QCOMPARE(stored(st::kFastSize).toInt(), 300);
    QCOMPARE(stored(st::kAngle).toInt(), 1);
    QCOMPARE(stored(st::kContinue).toInt(), 1);  // booleans are numbers
    QCOMPARE(stored(st::kAutoDemux).toInt(), 0);
    QCOMPARE(stored(st::kVideoExt).toString(), QStringLiteral("mpv"));
    QCOMPARE(stored(st::kTreeWidth).toInt(), 96);
    const double today = double(QDate(1899, 12, 30).daysTo(QDate::currentDate()));
    QVERIFY(installDays() >= today - 1 && installDays() < today + 2);
  }

  void everyOptionSurvivesARoundTrip() {
    {
      TfMain window;
      window.FormActivate();
      window.eVideoExt->setText(QStringLiteral("m2v"));
      window.eAudioExt->setText(QStringLiteral("ac3"));
      window.eSubExt->setText(QString());
      window.eWorkdir->setText(QStringLiteral("/tmp/out, with comma"));
      window.workspace().paths.EVOdir = "/media/D/HVDVD_TS/";
      window.workspace().paths.XPLdir = "/media/D/ADV_OBJ/";
      for (QCheckBox* box : {window.cbContinue, window.cbFastCheck, window.cbCountFr,
                             window.cbDetails, window.cbAutoRead, window.cbReadVTI})
        box->setChecked(false);
      for (QCheckBox* box : {window.cbAutoClear, window.cbRBAdvanced, window.cbAdjustPTS})
        box->setChecked(true);
      window.rbAutoRebuild->setChecked(true);
      window.ieFastSize->setValue(42);
      window.ieAngle->setValue(2);
      window.resize(700, 420);
      window.move(30, 40);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.PageControl->setCurrentIndex(TfMain::XplPage);
      QCoreApplication::processEvents();
      window.splXPL->setSizes({150, 400});
      QVERIFY(window.close());
    }
    TfMain again;
    again.FormActivate();
    QCOMPARE(again.eVideoExt->text(), QStringLiteral("m2v"));
    QCOMPARE(again.eAudioExt->text(), QStringLiteral("ac3"));
    QCOMPARE(again.eSubExt->text(), QString());
    QCOMPARE(again.eWorkdir->text(), QStringLiteral("/tmp/out, with comma"));
    QCOMPARE(again.workspace().paths.EVOdir, std::string("/media/D/HVDVD_TS/"));
    QCOMPARE(again.workspace().paths.XPLdir, std::string("/media/D/ADV_OBJ/"));
    for (QCheckBox* box : {again.cbContinue, again.cbFastCheck, again.cbCountFr, again.cbDetails,
                           again.cbAutoRead, again.cbReadVTI})
      QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    for (QCheckBox* box : {again.cbAutoClear, again.cbRBAdvanced, again.cbAdjustPTS})
      QVERIFY2(box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(again.rbAutoRebuild->isChecked() && !again.rbNoAuto->isChecked());
    QCOMPARE(again.ieFastSize->Value(), 42);
    QCOMPARE(again.ieAngle->Value(), 2);
    QVERIFY(!again.ieFastSize->isEnabled());  // "Fast EVO checking" was stored unticked
    QCOMPARE(again.size(), QSize(700, 420));
    QCOMPARE(again.treeWidth(), 150);
  }

  void installKeepsTheFirstDate() {
    store().setValue(QLatin1String(st::kInstall), QByteArray(8, '\0'));
    TfMain window;
    window.FormActivate();
    window.show();
    QVERIFY(window.close());
    QCOMPARE(installDays(), 0.0);
  }

  void aMaximisedWindowKeepsItsNormalBounds() {
    {
      auto s = store();
      s.setValue("Width", 720);
      s.setValue("Height", 430);
      s.setValue("Top", 50);
      s.setValue("Left", 60);
    }
    {
      TfMain window;
      window.FormActivate();
      QCOMPARE(window.size(), QSize(720, 430));
      window.showMaximized();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QTRY_VERIFY(window.isMaximized());
      QVERIFY(window.close());
    }
    QCOMPARE(stored(st::kWindowState).toInt(), 2);
    QCOMPARE(stored(st::kWidth).toInt(), 720);
    QCOMPARE(stored(st::kHeight).toInt(), 430);
    QCOMPARE(stored(st::kTop).toInt(), 50);
    QCOMPARE(stored(st::kLeft).toInt(), 60);

    // The next run restores those bounds and then maximises.
    TfMain next;
    next.FormActivate();
    QVERIFY(next.windowState() & Qt::WindowMaximized);
    QCOMPARE(next.size(), QSize(720, 430));
    QCOMPARE(next.pos(), QPoint(60, 50));
  }

  void aMinimisedWindowStoresItsBoundsAndStartsMinimised() {
    {
      TfMain window;
      window.FormActivate();
      window.resize(680, 400);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.setWindowState(Qt::WindowMinimized);
      QTRY_VERIFY(window.isMinimized());
      QVERIFY(window.close());
    }
    QCOMPARE(stored(st::kWindowState).toInt(), 1);
    QCOMPARE(stored(st::kWidth).toInt(), 680);
    QCOMPARE(stored(st::kHeight).toInt(), 400);
    TfMain next;
    next.FormActivate();
    QVERIFY(next.windowState() & Qt::WindowMinimized);
    QCOMPARE(next.size(), QSize(680, 400));
  }

  void bothAutoProcessesFalseLeaveNoAuto() {
    store().setValue("AutoDemux", 0);
    store().setValue("AutoRebuild", 0);
    TfMain window;
    window.FormActivate();
    QVERIFY(window.rbNoAuto->isChecked());
    store().setValue("AutoDemux", 1);
    TfMain demux;
    demux.FormActivate();
    QVERIFY(demux.rbAutoDemux->isChecked() && !demux.rbNoAuto->isChecked());
  }

  void anEmptyOrSignOnlySizeIsStoredAsZero() {
    for (const QString& text : {QString(), QStringLiteral("-"), QStringLiteral("+")}) {
      {
        TfMain window;
        window.FormActivate();
        window.ieFastSize->setText(text);
        window.show();
        QVERIFY(window.close());
      }
      QCOMPARE(stored(st::kFastSize).toInt(), 0);
    }
  }

  void valuesOfTheWrongTypeAreSkipped() {
    {
      auto s = store();
      s.setValue("Width", QStringList{"wide", "very"});
      s.setValue("Height", 400);
      s.setValue("AudioExt", QStringList{"ac3", "dts"});
      s.setValue("VideoExt", QStringLiteral("m2v"));
      s.setValue("Continue", QStringLiteral("maybe"));
      s.setValue("FastCheck", 0);
      s.setValue("FastSize", QStringLiteral("lots"));
      s.setValue("ADV_PCK", 1);
      s.setValue("TreeWidth", QByteArray("\x01\x02", 2));
      s.setValue("WindowState", 2);
    }
    TfMain window;
    window.FormActivate();
    // Each bad value keeps its default; everything after it is still read.
    QCOMPARE(window.width(), 653);
    QCOMPARE(window.height(), 400);
    QCOMPARE(window.eAudioExt->text(), QStringLiteral("mpa"));
    QCOMPARE(window.eVideoExt->text(), QStringLiteral("m2v"));
    QVERIFY(window.cbContinue->isChecked());
    QVERIFY(!window.cbFastCheck->isChecked());
    QCOMPARE(window.ieFastSize->Value(), 300);
    QVERIFY(window.cbRBAdvanced->isChecked());
    QCOMPARE(window.treeWidth(), 96);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    // Start-up went on: the boxes were reset.
    QCOMPARE(window.cbVideo[0]->text(), QStringLiteral("No video stream"));
    const QStringList lines = logLines(window);
    for (const char* name : {"Width", "AudioExt", "Continue", "FastSize", "TreeWidth"})
      QVERIFY2(lines.contains(
                   QStringLiteral("Invalid data type for '%1' - the setting keeps its default.")
                       .arg(QLatin1String(name))),
               name);
    QCOMPARE(lines.size(), 5);
  }

  void numbersOutOfRangeAndWordsForFlags() {
    {
      auto s = store();
      s.setValue("FastSize", QStringLiteral("99999999999"));
      s.setValue("Details", QStringLiteral("false"));
      s.setValue("AutoClear", QStringLiteral("TRUE"));
    }
    TfMain window;
    window.FormActivate();
    QCOMPARE(window.ieFastSize->Value(), 300);
    QVERIFY(!window.cbDetails->isChecked());
    QVERIFY(window.cbAutoClear->isChecked());
  }

 private:
  std::unique_ptr<SettingsSandbox> sandbox_;
};

static RegisterSuite<SettingsTest> registered("Settings");

#include "settings_test.moc"
