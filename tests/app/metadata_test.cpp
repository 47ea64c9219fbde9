// Read XPL, Write chapters, Read VTI and Rebuild behind the window's buttons.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/MessageLog.h"
#include "tests/app/app_test_support.h"
#include "tests/app/suites.h"
#include "tools/psmux/vti_builder.h"

using namespace app_test;

namespace {

// A small playlist of two titles; the second plays FEATURE_1.
const char* const kPlaylist =
    "<?xml version=\"1.0\"?>\n"
    "<Playlist displayName=\"Window Test Disc\">\n"
    "  <MediaAttributeList>\n"
    "    <VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n"
    "    <AudioAttributeItem index=\"1\" codec=\"AC-3\" channels=\"2\"/>\n"
    "    <SubpictureAttributeItem index=\"1\" codec=\"2bitRLE\"/>\n"
    "  </MediaAttributeList>\n"
    "  <TitleSet timeBase=\"60fps\" tickBase=\"60fps\">\n"
    "    <Title id=\"intro\" displayName=\"Intro\" titleDuration=\"00:00:10:00\">\n"
    "      <PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/INTRO.MAP\"/>\n"
    "    </Title>\n"
    "    <Title id=\"main\" displayName=\"Main Feature\" titleDuration=\"00:20:00:00\">\n"
    "      <PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\n"
    "        <Video track=\"1\" mediaAttr=\"1\"/>\n"
    "        <Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"Stereo\"/>\n"
    "        <Subtitle track=\"1\" streamNumber=\"3\" mediaAttr=\"1\" description=\"Captions\"/>\n"
    "      </PrimaryAudioVideoClip>\n"
    "      <ChapterList>\n"
    "        <Chapter displayName=\"Start\" titleTimeBegin=\"00:00:00:00\"/>\n"
    "        <Chapter displayName=\"Later\" titleTimeBegin=\"00:10:00:30\"/>\n"
    "      </ChapterList>\n"
    "      <TrackNavigationList><AudioTrack track=\"1\" langcode=\"de:01\"/></TrackNavigationList>\n"
    "    </Title>\n"
    "  </TitleSet>\n"
    "</Playlist>\n";

QStringList topLevel(const QTreeWidget* tree) {
  QStringList texts;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    texts.push_back(tree->topLevelItem(i)->text(0));
  return texts;
}

QStringList childrenOf(const QTreeWidget* tree, int index) {
  QStringList texts;
  const QTreeWidgetItem* item = tree->topLevelItem(index);
  for (int i = 0; item && i < item->childCount(); ++i) texts.push_back(item->child(i)->text(0));
  return texts;
}

}  // namespace

class MetadataTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    sandbox_ = std::make_unique<SettingsSandbox>();
    dir_ = std::make_unique<QTemporaryDir>();
    out_ = dir_->filePath(QStringLiteral("out"));
    QDir().mkpath(out_);
    source_ = writeFile(dir_->filePath("HVDVD_TS/FEATURE_1.EVO"), smallTitle());
    const std::string text = kPlaylist;
    playlist_ = writeFile(dir_->filePath("ADV_OBJ/VPLST000.XPL"),
                          vantrel::psmux::Bytes(text.begin(), text.end()));
  }
  void cleanup() {
    dir_.reset();
    sandbox_.reset();
  }

  void readXplFillsThePageAndWriteChaptersSavesThem() {
    TfMain window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.cbAutoRead->setChecked(false);
    window.resize(661, 375);
    window.show();
    window.WMDropFiles({source_});
    QCOMPARE(window.eXPLfile->text(), playlist_);
    QVERIFY(window.bReadXPLClick());
    QTRY_VERIFY(!window.operationRunning());

    QCOMPARE(window.PageControl->currentIndex(), int(TfMain::XplPage));
    QVERIFY(window.mXPL->toPlainText().contains(QStringLiteral("Main Feature")));
    QVERIFY(
        !window.mXPL->toPlainText().contains(QStringLiteral("INTRO.MAP")));  // only the kept title
    QCOMPARE(topLevel(window.tvXPL),
             (QStringList{"Info", "Video", "Audio", "Subtitle", "Chapter"}));
    QVERIFY(childrenOf(window.tvXPL, 0).contains(QStringLiteral("Title: Window Test Disc")));
    QCOMPARE(childrenOf(window.tvXPL, 1), QStringList{QStringLiteral("MPEG-2.s0")});
    QCOMPARE(childrenOf(window.tvXPL, 4).size(), 2);
    QCOMPARE(window.cbVideo[0]->text(), QStringLiteral("MPEG-2.s0"));
    QVERIFY(window.cbVideo[0]->isChecked() && window.cbVideo[0]->isEnabled());
    QCOMPARE(window.cbAudio[0]->text(), QStringLiteral("AC-3.2ch.s00.Stereo"));
    QCOMPARE(window.cbAudio[0]->toolTip(), QStringLiteral("AC-3.2ch.s00.Stereo [de]"));
    QCOMPARE(childrenOf(window.tvXPL, 2), QStringList{QStringLiteral("AC-3.2ch.s00.Stereo [de]")});
    QCOMPARE(window.cbSub[2]->toolTip(), QStringLiteral("2bitRLE.s02.Captions"));
    QVERIFY(window.bDemux->isEnabled() && window.bRebuild->isEnabled());
    QVERIFY(window.bWriteChaps->isEnabled() && window.bReadXPL->isEnabled() &&
            window.bReadEVO->isEnabled());
    QVERIFY(window.grab().save(screenshotFolder() + QStringLiteral("/after_read_xpl_4_XPL.png")));

    QVERIFY(window.bWriteChapsClick());
    QTRY_VERIFY(!window.operationRunning());
    QFile chapters(out_ + QStringLiteral("/FEATURE_1.chapters.txt"));
    QVERIFY(chapters.open(QIODevice::ReadOnly));
    QCOMPARE(chapters.readAll(), QByteArray("CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Start\r\n"
                                            "CHAPTER02=00:10:01.101\r\nCHAPTER02NAME=Later\r\n"));
    QVERIFY(logLines(window).contains(QStringLiteral("Chapters info writed to ") +
                                      chapters.fileName()));
    QVERIFY(window.bWriteChaps->isEnabled());
  }

  void aChapterFileThatCannotBeCreatedIsReported() {
    QStringList reports;
    TfMain window;
    window.setErrorReport([&](const QString& message) { reports.push_back(message); });
    window.FormActivate();
    window.cbAutoRead->setChecked(false);
    window.eWorkdir->setText(dir_->filePath(QStringLiteral("no/such/folder")));
    window.WMDropFiles({source_});
    QVERIFY(window.bReadXPLClick());
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(window.bWriteChapsClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].startsWith(QStringLiteral("Cannot create file")), qPrintable(reports[0]));
    QVERIFY(window.bReadXPL->isEnabled() && window.bbEVO->isEnabled());
  }

  void readVtiReportsTheTitleSet() {
    vantrel::psmux::VtiLayout layout;
    vantrel::psmux::VtiEntry entry;
    entry.audio.push_back({});
    layout.entries.push_back(entry);
    writeFile(dir_->filePath("HVDVD_TS/HVA00001.VTI"), vantrel::psmux::buildVti(layout));
    TfMain window;
    window.FormActivate();
    window.cbAutoRead->setChecked(false);
    window.WMDropFiles({source_});
    QVERIFY(window.bReadVTIClick());
    QTRY_VERIFY(!window.operationRunning());
    const QStringList lines = logLines(window);
    QVERIFY2(lines.contains(QStringLiteral("Reading HVA00001.VTI")), qPrintable(lines.join('\n')));
    QVERIFY(lines.contains(QStringLiteral("Category: Advanced VTS")));
    QVERIFY(lines.contains(QStringLiteral("Main Video: VC-1, 16:9, 1920x1080")));

    // Unticked, the button does nothing.
    window.cbReadVTI->setChecked(false);
    const int before = window.reMessage->lineCount();
    QVERIFY(window.bReadVTIClick());
    QTRY_VERIFY(!window.operationRunning());
    QCOMPARE(window.reMessage->lineCount(), before);
  }

  void rebuildAndAutoRebuild() {
    TfMain window;
    window.FormActivate();
    window.eWorkdir->setText(out_);
    window.rbAutoRebuild->setChecked(true);
    window.WMDropFiles({source_});
    QTRY_VERIFY(!window.operationRunning());
    const QString rebuilt = out_ + QStringLiteral("/FEATURE_1.rebuilt.EVO");
    QVERIFY(QFileInfo(rebuilt).size() > 0);
    QVERIFY(logLines(window).contains(QStringLiteral("Creating ") + rebuilt));

    QFile::remove(rebuilt);
    window.cbAudio[0]->click();
    QVERIFY(window.bRebuild->isEnabled());
    QVERIFY(window.bRebuildClick());
    QTRY_VERIFY(!window.operationRunning());
    QVERIFY(QFileInfo(rebuilt).size() > 0);
    QVERIFY(window.bRebuild->isEnabled() && window.bDemux->isEnabled());
  }

 private:
  std::unique_ptr<SettingsSandbox> sandbox_;
  std::unique_ptr<QTemporaryDir> dir_;
  QString out_, source_, playlist_;
};

static RegisterSuite<MetadataTest> registered("Metadata");

#include "metadata_test.moc"
