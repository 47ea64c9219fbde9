#include "app/EditLimits.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class TypedLengthValidator : public QValidator {
 public:
  TypedLengthValidator(int maxLength, QLineEdit* edit)
      : QValidator(edit), edit_(edit), maxLength_(maxLength) {}

  // Shortening is always allowed, so that an over-long stored text can be
  // edited down.
  State validate(QString& input, int&) const override {
    return input.size() <= maxLength_ || input.size() < edit_->text().size() ? Acceptable : Invalid;
  }

 private:
  QLineEdit* edit_;
  int maxLength_;
};

}  // namespace

void limitTypedLength(QLineEdit* edit, int maxLength) {
  edit->setValidator(new TypedLengthValidator(maxLength, edit));
}
