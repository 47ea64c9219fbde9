#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

// The file dialogs of the window, built as the window shows them: the
// platform's own (the desktop's chooser, or the portal in a sandbox).
std::unique_ptr<QFileDialog> makeSourceDialog(QWidget* parent, const QString& folder);
std::unique_ptr<QFileDialog> makePlaylistDialog(QWidget* parent, const QString& folder,
                                                const QString& proposedName);
std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent, const QString& folder);
std::unique_ptr<QFileDialog> makeLogDialog(QWidget* parent, const QString& folder);

// Asks the user for a file or folder; an empty optional when cancelled.
// The window uses the dialogs above; tests put in answers of their own.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual std::optional<QString> chooseSource(QWidget* parent, const QString& folder) = 0;
  virtual std::optional<QString> choosePlaylist(QWidget* parent, const QString& folder,
                                                const QString& proposedName) = 0;
  virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& folder) = 0;
  // Where to save the log.
  virtual std::optional<QString> chooseLogFile(QWidget* parent, const QString& folder) = 0;
};

std::unique_ptr<FileChooser> makeDialogFileChooser();
