#pragma once

#include <QLineEdit>

class QKeyEvent;

// A single-line edit for whole numbers. Typing lets through only digits,
// "+", "-", backspace and Enter; any other character is dropped with a beep.
// Text that is pasted or set by the program is taken as it is.
class TIntEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(qint64 Value READ Value WRITE setValue)

 public:
  explicit TIntEdit(QWidget* parent = nullptr);

  // The text as a decimal number in the 32-bit signed range; 0 when it is
  // not one (empty, a sign alone, letters, too large).
  qint64 Value() const;
  void setValue(qint64 value);

  // Whether a typed character passes the filter.
  static bool acceptsTypedCharacter(QChar c);

 signals:
  // A typed character was dropped (the beep has sounded).
  void characterRefused(QChar c);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
