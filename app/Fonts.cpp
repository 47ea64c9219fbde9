#include "app/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace {
bool installed(const QString& family) {
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}
}  // namespace

QFont windowFont() {
  if (installed(QStringLiteral("Tahoma"))) return QFont(QStringLiteral("Tahoma"), 8);
  // The desktop's font, as the application was given it.
  return QApplication::font();
}

QFont fixedFont() {
  if (installed(QStringLiteral("Courier New"))) return QFont(QStringLiteral("Courier New"), 8);
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QString logFontFamily() {
  if (installed(QStringLiteral("Tahoma"))) return QStringLiteral("Tahoma");
  return QApplication::font().family();
}

double logPointSize() {
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF();
}
