#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/FileDialogs.h"
#include "app/Main.h"
#include "tools/psmux/ps_builder.h"

class QTimer;
class QWidget;

namespace app_test {

// Points the settings store at a fresh folder for as long as it lives.
class SettingsSandbox {
 public:
  SettingsSandbox();
  ~SettingsSandbox();
  QString folder() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

// Answers the dialogs of the window without showing any: queued answers in
// order, std::nullopt standing for Cancel. Remembers the folders and
// proposed names the window opened them with.
class ScriptedChooser : public FileChooser {
 public:
  std::optional<QString> chooseSource(QWidget*, const QString& folder) override;
  std::optional<QString> choosePlaylist(QWidget*, const QString& folder,
                                        const QString& proposedName) override;
  std::optional<QString> chooseFolder(QWidget*, const QString& folder) override;
  std::optional<QString> chooseLogFile(QWidget*, const QString& folder) override;

  std::deque<std::optional<QString>> answers;
  QStringList sourceFolders, playlistFolders, playlistNames, folderStarts, logFolders;

 private:
  std::optional<QString> next();
};

// Installs a ScriptedChooser in the window and returns it.
ScriptedChooser* scriptChooser(TfMain& window);

// Clicks `button` in the next message box that opens, and remembers its
// text; `whileOpen` runs first, with the box open. Create it before the
// action that opens the box; it stops looking when it goes out of scope.
class QuestionAnswerer {
 public:
  explicit QuestionAnswerer(QMessageBox::StandardButton button,
                            std::function<void()> whileOpen = {});
  ~QuestionAnswerer();
  QString seenText;
  QMessageBox::StandardButton seenDefault = QMessageBox::NoButton;
  bool answered = false;

 private:
  std::unique_ptr<QTimer> timer_;
};
std::unique_ptr<QuestionAnswerer> answerNextQuestion(QMessageBox::StandardButton button,
                                                     std::function<void()> whileOpen = {});

// Operations that record what they were asked to do and do nothing else.
// They record on the worker thread; the test reads copies.
class OperationLog {
 public:
  void record(const char* call, const std::string& source);
  std::vector<std::string> calls() const;    // "readEVO", "demux", ...
  std::vector<std::string> sources() const;  // the path each call worked on

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<std::string> sources_;
};
OperationSet recordingOperations(std::shared_ptr<OperationLog> log);

// Writes bytes to a file, creating folders.
QString writeFile(const QString& path, const vantrel::psmux::Bytes& bytes);

// A small title: navigation pack, MPEG-2 video on E0, AC-3 on 80, a
// subpicture on 22, then `fillerPacks` more video packs, each with
// `fillerBytes` more bytes of payload (a large title that demuxes slowly).
vantrel::psmux::Bytes smallTitle(int fillerPacks = 0, size_t fillerBytes = 0);

// The text of the log, one line per block.
QStringList logLines(const TfMain& window);

// The folder the tests write their screenshots to.
QString screenshotFolder();

}  // namespace app_test
