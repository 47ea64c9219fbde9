// Choosing the source and the playlist: dialogs, drops and the command line.

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/Main.h"
#include "common/file_io.h"
#include "common/path_rules.h"
#include "workspace/source_paths.h"

namespace {

// File names are bytes on Linux; these keep them as the file system has them.
std::string toPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}
QString fromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QStringList localFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files.push_back(url.toLocalFile());
  return files;
}

}  // namespace

void TfMain::EVOadj() {
  vantrel::EVOadj(ws_.paths, ws_.buttons);
  showPaths();
  showButtons(ws_.buttons);
}

void TfMain::XPLadj() {
  vantrel::XPLadj(ws_.paths, ws_.buttons);
  showPaths();
  showButtons(ws_.buttons);
}

void TfMain::takeSource(const QString& path) {
  ws_.paths.eEVOfile = toPath(path);
  EVOadj();
}

void TfMain::takePlaylist(const QString& path) {
  ws_.paths.eXPLfile = toPath(path);
  XPLadj();
}

void TfMain::bbEVOClick() {
  // The paths belong to the running operation until it ends.
  if (refuseWhileRunning()) return;
  const auto chosen = chooser_->chooseSource(this, fromPath(ws_.paths.EVOdir));
  if (!chosen || refuseWhileRunning()) return;
  takeSource(*chosen);
  if (bReadEVO->isEnabled()) bReadEVO->setFocus();
  vantrel::Resetcbs(ws_.boxes, ws_.buttons, ws_.paths.eEVOfile);
  showBoxes(ws_.boxes);
  showButtons(ws_.buttons);
  if (cbAutoRead->isChecked()) bReadEVOClick();
}

void TfMain::bbXPLClick() {
  if (refuseWhileRunning()) return;
  const auto chosen = chooser_->choosePlaylist(this, fromPath(ws_.paths.XPLdir),
                                               fromPath(ws_.paths.PlaylistFileName));
  if (!chosen || refuseWhileRunning()) return;
  takePlaylist(*chosen);
  if (cbAutoRead->isChecked()) bReadXPLClick();
}

void TfMain::bbWorkdirClick() {
  // The output folder is copied when a run starts, so it may change at any time.
  const auto chosen = chooser_->chooseFolder(this, eWorkdir->text());
  if (chosen) {
    eWorkdir->setText(*chosen);
  } else if (!vantrel::folderExists(toPath(eWorkdir->text()))) {
    eWorkdir->clear();
  }
}

bool TfMain::WMDropFiles(const QStringList& paths) {
  if (paths.isEmpty()) return true;
  const QString& first = paths.first();
  const std::string extension = vantrel::upperExtensionOf(vantrel::fileNamePart(toPath(first)));
  if (extension == ".EVO" || extension == ".VOB") {
    if (refuseWhileRunning()) return false;
    takeSource(first);
    if (cbAutoRead->isChecked()) bReadEVOClick();
  } else if (extension == ".XPL") {
    if (refuseWhileRunning()) return false;
    takePlaylist(first);
    if (cbAutoRead->isChecked()) bReadXPLClick();
  }
  return true;
}

void TfMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfMain::dropEvent(QDropEvent* event) {
  const QStringList files = localFiles(event->mimeData());
  if (files.isEmpty()) return;
  WMDropFiles(files);
  event->acceptProposedAction();
}

void TfMain::startFromCommandLine() {
  if (refuseWhileRunning()) return;
  const std::string path = toPath(arguments_.constFirst());
  if (vantrel::fileExists(path)) ws_.paths.eEVOfile = path;
  EVOadj();
  bReadEVOClick();
}
