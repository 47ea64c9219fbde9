#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace {

// Disc files are named in upper case, copies often in lower case: the name
// filters must match either. Qt's own dialog is told so; a platform's
// dialog may match patterns case by case, so each is given in both cases.
void matchAnyCase(QFileDialog& dialog) {
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

QString filter(const QString& name, const QStringList& patterns) {
  QStringList both;
  for (const QString& pattern : patterns) {
    both << pattern;
    if (pattern.toLower() != pattern) both << pattern.toLower();
    if (pattern.toUpper() != pattern) both << pattern.toUpper();
  }
  return name + QStringLiteral(" (") + both.join(QLatin1Char(' ')) + QLatin1Char(')');
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
  std::optional<QString> chooseLogFile(QWidget* parent, const QString& folder) override {
    return runForOneFile(*makeLogDialog(parent, folder));
  }
};

}  // namespace

std::unique_ptr<QFileDialog> makeSourceDialog(QWidget* parent, const QString& folder) {
  auto dialog =
      std::make_unique<QFileDialog>(parent, QStringLiteral("Choose the EVO file to demux"), folder);
  dialog->setOptions(QFileDialog::DontResolveSymlinks | QFileDialog::HideNameFilterDetails);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setNameFilters(
      {filter(QStringLiteral("All supported file"),
              {QStringLiteral("*.aob"), QStringLiteral("*.evo"), QStringLiteral("*.vob")}),
       filter(QStringLiteral("EVOB files (HD DVD)"), {QStringLiteral("*.evo")}),
       filter(QStringLiteral("AOB files (DVD Audio)"), {QStringLiteral("*.aob")}),
       filter(QStringLiteral("VOB files (DVD Video)"), {QStringLiteral("*.vob")})});
  matchAnyCase(*dialog);
  return dialog;
}

std::unique_ptr<QFileDialog> makePlaylistDialog(QWidget* parent, const QString& folder,
                                                const QString& proposedName) {
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), folder);
  dialog->setOptions(QFileDialog::HideNameFilterDetails);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setNameFilters({filter(QStringLiteral("XPL"), {QStringLiteral("VPLST000.XPL")})});
  matchAnyCase(*dialog);
  if (!proposedName.isEmpty()) dialog->selectFile(proposedName);
  return dialog;
}

std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent, const QString& folder) {
  auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("Select a directory"), folder);
  // Read-only: the dialog offers no button for making a new folder.
  dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
  dialog->setFileMode(QFileDialog::Directory);
  return dialog;
}

std::unique_ptr<QFileDialog> makeLogDialog(QWidget* parent, const QString& folder) {
  auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("Save log"), folder);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  dialog->selectFile(QStringLiteral("Vantrel log.txt"));
  return dialog;
}

std::unique_ptr<FileChooser> makeDialogFileChooser() {
  return std::make_unique<DialogFileChooser>();
}
