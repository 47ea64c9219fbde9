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
  using namespace vantrel::psmux;
  constexpr uint32_t kFirstPtm = 90000;
  Bytes title;
  uint64_t scr = 0;
  Navigation nav;
  nav.firstVideoPtm = kFirstPtm;
  nav.lastVideoPtm = kFirstPtm + 2 * 90000;
  nav.audioSync[0] = 1;
  nav.subpictureSync[2] = 1;
  append(title, navigationPack(scr++, nav));

  auto videoPack = [&](uint32_t pts, size_t extra) {
    Pes video;
    video.streamId = 0xE0;
    video.pts = pts;
    // Two picture start codes.
    video.payload = {0x00, 0x00, 0x01, 0x00, 0x11, 0x22, 0x00, 0x00, 0x01, 0x00, 0x33, 0x44};
    video.payload.resize(video.payload.size() + extra, 0x55);
    append(title, packWithPes(scr++, video));
  };
  videoPack(kFirstPtm, 0);

  Pes audio;
  audio.streamId = 0xBD;
  audio.pts = kFirstPtm;
  audio.payload = audioSubstreamHeader(0x80);
  append(audio.payload, {0x0B, 0x77, 0x55, 0x66});
  append(title, packWithPes(scr++, audio));

  Pes sub;
  sub.streamId = 0xBD;
  sub.pts = kFirstPtm + 9000;
  sub.payload = subpictureSubstreamHeader(0x22);
  append(sub.payload, {0x00, 0x04, 0x77, 0x88});
  append(title, packWithPes(scr++, sub));

  title.reserve(title.size() + size_t(fillerPacks) * vantrel::psmux::kPackSize);
  for (int i = 0; i < fillerPacks; ++i) videoPack(kFirstPtm + 3600u * uint32_t(i + 1), fillerBytes);
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
