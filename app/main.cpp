// Program start: the application, the one window, the message loop.

#include "app/Main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("HD DVD Vantrel"));

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();  // the program itself
  TfMain window(arguments);
  window.FormActivate();
  window.show();
  return QApplication::exec();
}
