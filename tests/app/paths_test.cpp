// Choosing files with the dialogs: the source and playlist folders follow
// each other, "Auto read" starts the reading, cancelled dialogs change nothing.

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/FileDialogs.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"

using namespace app_test;

class PathsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    sandbox_ = std::make_unique<SettingsSandbox>();
    disc_ = std::make_unique<QTemporaryDir>();
    ops_ = std::make_shared<OperationLog>();
    window_ = std::make_unique<TfMain>(QStringList{}, recordingOperations(ops_));
    window_->FormActivate();
    chooser_ = scriptChooser(*window_);
  }
  void cleanup() {
    window_.reset();
    disc_.reset();
    sandbox_.reset();
  }

  void aSourceInHvdvdTsPointsThePlaylistAtAdvObj() {
    const QString source = writeFile(disc_->filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    chooser_->answers = {source, std::nullopt};
    window_->bbEVOClick();
    QCOMPARE(window_->eEVOfile->text(), source);
    QCOMPARE(window_->eXPLfile->text(), disc_->filePath("ADV_OBJ/VPLST000.XPL"));
    QVERIFY(window_->bReadXPL->isEnabled());
    QVERIFY(window_->bReadEVO->isEnabled());
    QTRY_COMPARE(ops_->calls(), std::vector<std::string>{"readEVO"});
    QTRY_VERIFY(!window_->operationRunning());

    window_->bbXPLClick();
    QCOMPARE(chooser_->playlistFolders.last(), disc_->filePath("ADV_OBJ/"));
    QCOMPARE(chooser_->playlistNames.last(), QStringLiteral("VPLST000.XPL"));
    // The next source dialog opens in the source folder.
    chooser_->answers = {std::nullopt};
    window_->bbEVOClick();
    QCOMPARE(chooser_->sourceFolders.last(), disc_->filePath("HVDVD_TS/"));
  }

  void aLowerCaseFolderDerivesNoPlaylist() {
    const QString source = writeFile(disc_->filePath("hvdvd_ts/FEATURE_1.EVO"), smallTitle());
    chooser_->answers = {source};
    window_->bbEVOClick();
    QCOMPARE(window_->eXPLfile->text(), QStringLiteral("VPLST000.XPL"));
    QVERIFY(!window_->bReadXPL->isEnabled());
    QTRY_VERIFY(!window_->operationRunning());

    // After a playlist was chosen, Read XPL keeps its enabled state.
    const QString playlist = writeFile(disc_->filePath("elsewhere/VPLST000.XPL"), {});
    window_->cbAutoRead->setChecked(false);
    chooser_->answers = {playlist, source};
    window_->bbXPLClick();
    QVERIFY(window_->bReadXPL->isEnabled());
    window_->bbEVOClick();
    QCOMPARE(window_->eXPLfile->text(), QStringLiteral("VPLST000.XPL"));
    QVERIFY(window_->bReadXPL->isEnabled());
  }

  void aPlaylistInAdvObjPointsTheSourceDialogAtHvdvdTs() {
    const QString playlist = writeFile(disc_->filePath("ADV_OBJ/VPLST000.XPL"), {});
    chooser_->answers = {playlist, std::nullopt};
    window_->bbXPLClick();
    QCOMPARE(window_->eXPLfile->text(), playlist);
    QVERIFY(window_->eEVOfile->text().isEmpty());
    QVERIFY(window_->bReadXPL->isEnabled());
    QTRY_COMPARE(ops_->calls(), std::vector<std::string>{"readXPL"});
    QCOMPARE(QString::fromStdString(ops_->sources()[0]), playlist);
    QTRY_VERIFY(!window_->operationRunning());
    window_->bbEVOClick();
    QCOMPARE(chooser_->sourceFolders.last(), disc_->filePath("HVDVD_TS/"));
    QVERIFY(window_->eEVOfile->text().isEmpty());
  }

  void withoutAutoReadTheChoiceWaitsForItsButton() {
    window_->cbAutoRead->setChecked(false);
    const QString source = writeFile(disc_->filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    const QString playlist = writeFile(disc_->filePath("ADV_OBJ/VPLST000.XPL"), {});
    chooser_->answers = {source, playlist};
    window_->bbEVOClick();
    window_->bbXPLClick();
    QTest::qWait(30);
    QVERIFY(ops_->calls().empty());
    QCOMPARE(window_->eEVOfile->text(), source);
    window_->bReadEVO->click();
    QTRY_COMPARE(ops_->calls(), std::vector<std::string>{"readEVO"});
  }

  void browsingResetsTheStreamBoxes() {
    window_->cbAutoRead->setChecked(false);
    auto& boxes = window_->workspace().boxes;
    boxes.audio[3] = {true, true, "DD.stream.03", ""};
    window_->workspace().notifyControls();
    window_->flushEvents();
    QVERIFY(window_->cbAudio[3]->isChecked());
    QVERIFY(window_->bDemux->isEnabled() == false);  // the notification does not run the click rule
    const QString source = writeFile(disc_->filePath("FEATURE_1.EVO"), smallTitle());
    chooser_->answers = {source};
    window_->bbEVOClick();
    QVERIFY(!window_->cbAudio[3]->isChecked());
    QVERIFY(!window_->cbAudio[3]->isEnabled());
    QCOMPARE(window_->cbAudio[3]->text(), QStringLiteral("No audio stream"));
  }

  void cancelledDialogsChangeNothing() {
    chooser_->answers = {std::nullopt, std::nullopt};
    window_->bbEVOClick();
    window_->bbXPLClick();
    QVERIFY(window_->eEVOfile->text().isEmpty());
    QCOMPARE(window_->eXPLfile->text(), QStringLiteral("VPLST000.XPL"));
    QVERIFY(!window_->bReadEVO->isEnabled());
    QTest::qWait(30);
    QVERIFY(ops_->calls().empty());
  }

  void outputFolderChoice() {
    const QString out = disc_->filePath("out");
    QDir().mkpath(out);
    chooser_->answers = {out};
    window_->bbWorkdirClick();
    QCOMPARE(window_->eWorkdir->text(), out);
    QCOMPARE(chooser_->folderStarts.last(), QString());
    // Cancelled: an existing folder stays, a missing one is cleared.
    chooser_->answers = {std::nullopt};
    window_->bbWorkdirClick();
    QCOMPARE(chooser_->folderStarts.last(), out);
    QCOMPARE(window_->eWorkdir->text(), out);
    window_->eWorkdir->setText(disc_->filePath("gone"));
    chooser_->answers = {std::nullopt};
    window_->bbWorkdirClick();
    QVERIFY(window_->eWorkdir->text().isEmpty());
  }

  void theDialogsAsTheWindowOpensThem() {
    auto source = makeSourceDialog(nullptr, disc_->path());
    QCOMPARE(source->windowTitle(), QStringLiteral("Choose the EVO file to demux"));
    QCOMPARE(source->nameFilters().size(), 4);
    // A platform's dialog may match patterns case by case.
    QCOMPARE(source->nameFilters().first(),
             QStringLiteral("All supported file (*.aob *.AOB *.evo *.EVO *.vob *.VOB)"));
    QCOMPARE(source->fileMode(), QFileDialog::ExistingFile);
    QVERIFY(source->testOption(QFileDialog::DontResolveSymlinks));
    QVERIFY(!(source->filter() & QDir::CaseSensitive));  // FEATURE_1.EVO matches *.evo
    QCOMPARE(QDir(source->directory()).absolutePath(), QDir(disc_->path()).absolutePath());

    auto playlist = makePlaylistDialog(nullptr, disc_->path(), QStringLiteral("VPLST000.XPL"));
    QCOMPARE(playlist->nameFilters(),
             QStringList{QStringLiteral("XPL (VPLST000.XPL vplst000.xpl)")});
    QVERIFY(!(playlist->filter() & QDir::CaseSensitive));

    auto folder = makeFolderDialog(nullptr, disc_->path());
    QCOMPARE(folder->windowTitle(), QStringLiteral("Select a directory"));
    QCOMPARE(folder->fileMode(), QFileDialog::Directory);
    QVERIFY(folder->testOption(QFileDialog::ShowDirsOnly));
    QVERIFY(folder->testOption(QFileDialog::ReadOnly));
  }

 private:
  std::unique_ptr<SettingsSandbox> sandbox_;
  std::unique_ptr<QTemporaryDir> disc_;
  std::shared_ptr<OperationLog> ops_;
  std::unique_ptr<TfMain> window_;
  ScriptedChooser* chooser_ = nullptr;
};

static RegisterSuite<PathsTest> registered("Paths");

#include "paths_test.moc"
