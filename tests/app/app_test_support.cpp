#include "tests/app/app_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTextBlock>
#include <QTimer>

#include "app/MessageLog.h"
#include "tests/app/suites.h"
#include "tests/support/title_builder.h"

std::vector<std::pair<const char*, SuiteFactory>>& appTestSuites() {
  static std::vector<std::pair<const char*, SuiteFactory>> suites;
  return suites;
}

namespace app_test {

SettingsSandbox::SettingsSandbox() {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
}

SettingsSandbox::~SettingsSandbox() {
  // Later windows must not write into a folder that is gone, nor into the
  // user's own settings.
  const QString nowhere = QDir::tempPath() + QStringLiteral("/vantrel-test-settings-unused");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

std::optional<QString> ScriptedChooser::next() {
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<QString> ScriptedChooser::chooseSource(QWidget*, const QString& folder) {
  sourceFolders.push_back(folder);
  return next();
}

std::optional<QString> ScriptedChooser::choosePlaylist(QWidget*, const QString& folder,
                                                       const QString& proposedName) {
  playlistFolders.push_back(folder);
  playlistNames.push_back(proposedName);
  return next();
}

std::optional<QString> ScriptedChooser::chooseFolder(QWidget*, const QString& folder) {
  folderStarts.push_back(folder);
  return next();
}

std::optional<QString> ScriptedChooser::chooseLogFile(QWidget*, const QString& folder) {
  logFolders.push_back(folder);
  return next();
}

ScriptedChooser* scriptChooser(TfMain& window) {
  auto chooser = std::make_unique<ScriptedChooser>();
  ScriptedChooser* raw = chooser.get();
  window.setFileChooser(std::move(chooser));
  return raw;
}

QuestionAnswerer::QuestionAnswerer(QMessageBox::StandardButton button,
                                   std::function<void()> whileOpen)
    : timer_(std::make_unique<QTimer>()) {
  timer_->setInterval(10);
  QObject::connect(timer_.get(), &QTimer::timeout, [this, button, whileOpen] {
    QPointer<QMessageBox> box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seenText = box->text();
    seenDefault = box->standardButton(box->defaultButton());
    timer_->stop();
    if (whileOpen) whileOpen();
    answered = true;
    if (box)
      if (QAbstractButton* b = box->button(button)) b->click();
  });
  timer_->start();
}

QuestionAnswerer::~QuestionAnswerer() = default;

std::unique_ptr<QuestionAnswerer> answerNextQuestion(QMessageBox::StandardButton button,
                                                     std::function<void()> whileOpen) {
  return std::make_unique<QuestionAnswerer>(button, std::move(whileOpen));
}

void OperationLog::record(const char* call, const std::string& source) {
  std::lock_guard lock(mutex_);
  calls_.emplace_back(call);
  sources_.push_back(source);
}

std::vector<std::string> OperationLog::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> OperationLog::sources() const {
  std::lock_guard lock(mutex_);
  return sources_;
}

OperationSet recordingOperations(std::shared_ptr<OperationLog> log) {
  OperationSet ops;
  auto record = [log](const char* name) {
    return [log, name](vantrel::Workspace& ws) { log->record(name, ws.paths.eEVOfile); };
  };
  ops.readEVO = record("readEVO");
  ops.demux = record("demux");
  ops.rebuild = record("rebuild");
  ops.readVTI = record("readVTI");
  ops.readXPL = [log](vantrel::Workspace& ws, vantrel::PlaylistView&) {
    log->record("readXPL", ws.paths.eXPLfile);
  };
  ops.writeChaps = [log](vantrel::Workspace& ws, const vantrel::PlaylistView&) {
    log->record("writeChaps", ws.paths.eEVOfile);
  };
  return ops;
}

QString writeFile(const QString& path, const vantrel::psmux::Bytes& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  return path;
}

vantrel::psmux::Bytes smallTitle(int fillerPacks, size_t fillerBytes) {
  vantrel::psmux::Bytes title = vantrel::testing::smallTitle(0x11, 1);
  vantrel::testing::Title filler;
  vantrel::psmux::Bytes video{0x00, 0x00, 0x01, 0x00, 0x11, 0x22, 0x00, 0x00, 0x01, 0x00, 0x33, 0x44};
  video.resize(video.size() + fillerBytes, 0x55);
  for (int i = 0; i < fillerPacks; ++i) filler.video(0xE0, 90000 + 3600u * uint32_t(i + 1), video);
  vantrel::psmux::append(title, filler.bytes());
  return title;
}

QStringList logLines(const TfMain& window) {
  QStringList lines;
  for (QTextBlock block = window.reMessage->document()->begin(); block.isValid();
       block = block.next())
    lines.push_back(block.text());
  if (window.reMessage->lineCount() == 0) lines.clear();
  return lines;
}

QString screenshotFolder() {
  const QString folder = QStringLiteral(VANTREL_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return folder;
}

}  // namespace app_test
