// Runs one suite of the window's tests (the first argument names it), or
// every suite when no name is given.

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "tests/app/suites.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  QStringList qtestArguments{QString::fromLocal8Bit(argv[0])};
  for (int i = only ? 2 : 1; i < argc; ++i) qtestArguments.push_back(QString::fromLocal8Bit(argv[i]));

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
