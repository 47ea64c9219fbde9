// Program start: the application, the one window, the message loop.

#include "app/Main.h"

#include <QApplication>
#include <csignal>

int main(int argc, char* argv[]) {
  // Under a file-size limit a write must fail and be reported, not kill the
  // window with the output buffers unwritten.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("HD DVD Vantrel"));
  // Lets the desktop match the window with its entry and icon.
  QApplication::setDesktopFileName(QStringLiteral("org.corvane.Vantrel"));

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();  // the program itself
  TfMain window(arguments);
  window.FormActivate();
  window.show();
  return QApplication::exec();
}
