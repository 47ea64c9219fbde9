// Files dropped on the window: the first counts, its extension decides.

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include "app/MessageLog.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;

namespace {

// Delivers a drop of `files` to `target` as the window system would.
bool dropOn(QWidget* target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& file : files) urls.push_back(QUrl::fromLocalFile(file));
  data.setUrls(urls);
  data.setText(files.join(QLatin1Char('\n')));  // desktop shells offer the paths as text too
  const QPointF at(target->width() / 2.0, target->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

}  // namespace

class DropsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    sandbox_ = std::make_unique<SettingsSandbox>();
    dir_ = std::make_unique<QTemporaryDir>();
    ops_ = std::make_shared<OperationLog>();
    window_ = std::make_unique<TfMain>(QStringList{}, recordingOperations(ops_));
    window_->FormActivate();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
    sandbox_.reset();
  }

  void aVobInAnyCaseBecomesTheSource() {
    for (const char* name : {"VTS_01_1.VOB", "movie.vob", "Mixed.VoB", "FEATURE_1.evo"}) {
      const QString file = writeFile(dir_->filePath(name), smallTitle());
      QVERIFY(dropOn(window_.get(), {file}));
      QCOMPARE(window_->eEVOfile->text(), file);
      QVERIFY(window_->bReadEVO->isEnabled());
      QTRY_VERIFY(!window_->operationRunning());
      QCOMPARE(QString::fromStdString(ops_->sources().back()), file);
    }
    QCOMPARE(ops_->calls().size(), size_t(4));
  }

  void otherFilesAreIgnored() {
    for (const char* name : {"ATS_01_1.AOB", "notes.txt", "VIDEO_TS.IFO"}) {
      const QString file = writeFile(dir_->filePath(name), {});
      window_->WMDropFiles({file});
    }
    QTest::qWait(30);
    QVERIFY(ops_->calls().empty());
    QVERIFY(window_->eEVOfile->text().isEmpty());
    QCOMPARE(window_->eXPLfile->text(), QStringLiteral("VPLST000.XPL"));
    QVERIFY(!window_->bReadEVO->isEnabled());
  }

  void threeFilesUseTheFirst() {
    const QString a = writeFile(dir_->filePath("A.EVO"), smallTitle());
    const QString b = writeFile(dir_->filePath("B.EVO"), smallTitle());
    const QString c = writeFile(dir_->filePath("C.VOB"), smallTitle());
    QVERIFY(dropOn(window_.get(), {a, b, c}));
    QCOMPARE(window_->eEVOfile->text(), a);
    QTRY_COMPARE(ops_->calls().size(), size_t(1));

    // A first file of another type makes the whole drop do nothing.
    const QString aob = writeFile(dir_->filePath("ATS_01_1.AOB"), {});
    QTRY_VERIFY(!window_->operationRunning());
    window_->WMDropFiles({aob, b});
    QCOMPARE(window_->eEVOfile->text(), a);
  }

  void aPlaylistDropFillsThePlaylist() {
    const QString playlist = writeFile(dir_->filePath("ADV_OBJ/vplst000.xpl"), {});
    QVERIFY(dropOn(window_.get(), {playlist}));
    QCOMPARE(window_->eXPLfile->text(), playlist);
    QVERIFY(window_->bReadXPL->isEnabled());
    QTRY_COMPARE(ops_->calls(), std::vector<std::string>{"readXPL"});
    QVERIFY(window_->eEVOfile->text().isEmpty());
  }

  void withoutAutoReadADropOnlyFillsThePath() {
    window_->cbAutoRead->setChecked(false);
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle());
    const QString playlist = writeFile(dir_->filePath("VPLST000.XPL"), {});
    window_->WMDropFiles({source});
    window_->WMDropFiles({playlist});
    QTest::qWait(30);
    QVERIFY(ops_->calls().empty());
    QCOMPARE(window_->eEVOfile->text(), source);
    QCOMPARE(window_->eXPLfile->text(), playlist);
  }

  void dropsOnAnyControlReachTheWindow() {
    window_->cbAutoRead->setChecked(false);
    const QString source = writeFile(dir_->filePath("FEATURE_1.EVO"), smallTitle());
    QVERIFY(dropOn(window_->reMessage->viewport(), {source}));
    QCOMPARE(window_->eEVOfile->text(), source);
    const QString other = writeFile(dir_->filePath("FEATURE_2.EVO"), smallTitle());
    QVERIFY(dropOn(window_->eWorkdir, {other}));
    QCOMPARE(window_->eEVOfile->text(), other);
    QVERIFY(window_->eWorkdir->text().isEmpty());
  }

 private:
  std::unique_ptr<SettingsSandbox> sandbox_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::shared_ptr<OperationLog> ops_;
  std::unique_ptr<TfMain> window_;
};

static RegisterSuite<DropsTest> registered("Drops");

#include "drops_test.moc"
