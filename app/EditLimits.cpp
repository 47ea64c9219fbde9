#include "app/EditLimits.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace {

// Refuses an edit that makes the text longer than the limit. Shortening is
// always allowed, so the size of the text before the edit is kept here
// (the validator only sees the text after it).
class TypedLengthValidator : public QValidator {
 public:
  TypedLengthValidator(int maxLength, QLineEdit* edit)
      : QValidator(edit), maxLength_(maxLength), lastSize_(edit->text().size()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { lastSize_ = text.size(); });
  }

  State validate(QString& input, int&) const override {
    return input.size() <= maxLength_ || input.size() < lastSize_ ? Acceptable : Invalid;
  }

 private:
  int maxLength_;
  qsizetype lastSize_;
};

}  // namespace

void limitTypedLength(QLineEdit* edit, int maxLength) {
  edit->setValidator(new TypedLengthValidator(maxLength, edit));
}

void setProgramText(QLineEdit* edit, const QString& text) {
  // Without its validator for a moment: the edit would otherwise mark a
  // long text as invalid and stop refusing typed characters after it.
  QPointer<const QValidator> validator = edit->validator();
  edit->setValidator(nullptr);
  edit->setText(text);
  edit->setValidator(validator.data());
}
