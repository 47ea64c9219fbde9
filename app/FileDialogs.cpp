#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace {

// Disc files are named in upper case, copies often in lower case: the name
// filters must match either.
void matchAnyCase(QFileDialog& dialog) {
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

std::optional<QString> runForOneFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

class DialogFileChooser : public FileChooser {
 public:
  std::optional<QString> chooseSource(QWidget* parent, const QString& folder) override {
    return runForOneFile(*makeSourceDialog(parent, folder));
  }
  std::optional<QString> choosePlaylist(QWidget* parent, const QString& folder,
                                        const QString& proposedName) override {
    return runForOneFile(*makePlaylistDialog(parent, folder, proposedName));
  }
  std::optional<QString> chooseFolder(QWidget* parent, const QString& folder) override {
    return runForOneFile(*makeFolderDialog(parent, folder));
  }
};

}  // namespace

std::unique_ptr<QFileDialog> makeSourceDialog(QWidget* parent, const QString& folder) {
  auto dialog =
      std::make_unique<QFileDialog>(parent, QStringLiteral("Choose the EVO file to demux"), folder);
  dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontResolveSymlinks |
                     QFileDialog::HideNameFilterDetails);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setNameFilters({QStringLiteral("All supported file (*.aob *.evo *.vob)"),
                          QStringLiteral("EVOB files (HD DVD) (*.evo)"),
                          QStringLiteral("AOB files (DVD Audio) (*.aob)"),
                          QStringLiteral("VOB files (DVD Video) (*.vob)")});
  matchAnyCase(*dialog);
  return dialog;
}

std::unique_ptr<QFileDialog> makePlaylistDialog(QWidget* parent, const QString& folder,
                                                const QString& proposedName) {
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), folder);
  dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setNameFilters({QStringLiteral("XPL (VPLST000.XPL)")});
  matchAnyCase(*dialog);
  if (!proposedName.isEmpty()) dialog->selectFile(proposedName);
  return dialog;
}

std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent, const QString& folder) {
  auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("Select a directory"), folder);
  // Read-only: the dialog offers no button for making a new folder.
  dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly |
                     QFileDialog::ReadOnly);
  dialog->setFileMode(QFileDialog::Directory);
  return dialog;
}

std::unique_ptr<FileChooser> makeDialogFileChooser() {
  return std::make_unique<DialogFileChooser>();
}
