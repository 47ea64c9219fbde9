#include "app/NumEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include "app/EditLimits.h"

namespace {
constexpr int kInitialWidth = 33;
constexpr QChar kBackspace(8);
constexpr QChar kEnter(13);
}  // namespace

TIntEdit::TIntEdit(QWidget* parent) : QLineEdit(parent) {
  setText(QStringLiteral("0"));
  resize(kInitialWidth, height());
}

qint64 TIntEdit::Value() const {
  bool ok = false;
  int value = text().toInt(&ok, 10);
  return ok ? value : 0;
}

void TIntEdit::setValue(qint64 value) {
  setProgramText(this, QString::number(value));
}

bool TIntEdit::acceptsTypedCharacter(QChar c) {
  return c == kBackspace || c == kEnter || c == u'+' || c == u'-' || (c >= u'0' && c <= u'9');
}

void TIntEdit::keyPressEvent(QKeyEvent* event) {
  // Shortcuts (paste, copy, undo, select all) and keys without a printable
  // character (arrows, Delete, Home) are not typing: let the edit have them.
  const bool shortcut =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const QString typed = event->text();
  if (!shortcut && !typed.isEmpty()) {
    for (QChar c : typed) {
      if (c.isPrint() && !acceptsTypedCharacter(c)) {
        QApplication::beep();
        emit characterRefused(c);
        event->accept();
        return;
      }
    }
  }
  QLineEdit::keyPressEvent(event);
}
