#include "app/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {
bool installed(const QString& family) {
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}
}  // namespace

QFont windowFont() {
  if (installed(QStringLiteral("Tahoma"))) return QFont(QStringLiteral("Tahoma"), 8);
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

QFont fixedFont() {
  if (installed(QStringLiteral("Courier New"))) return QFont(QStringLiteral("Courier New"), 8);
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QString logFontFamily() {
  if (installed(QStringLiteral("Tahoma"))) return QStringLiteral("Tahoma");
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}
