// Runs one suite of the window's tests (the first argument names it), or
// every suite when no name is given.

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "tests/app/suites.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // No test may touch the user's own settings: the default store of the
  // run is a folder of its own; suites that read settings use their own.
  QStandardPaths::setTestModeEnabled(true);
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  QStringList qtestArguments{QString::fromLocal8Bit(argv[0])};
  for (int i = only ? 2 : 1; i < argc; ++i)
    qtestArguments.push_back(QString::fromLocal8Bit(argv[i]));

  int failures = 0;
  bool found = false;
  for (const auto& [name, make] : appTestSuites()) {
    if (only && std::strcmp(only, name) != 0) continue;
    found = true;
    auto suite = make();
    failures += QTest::qExec(suite.get(), qtestArguments);
  }
  if (!found) {
    std::fprintf(stderr, "No test suite named %s\n", only);
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
