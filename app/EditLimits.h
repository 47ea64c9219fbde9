#pragma once

class QLineEdit;

// Limits what the user can type or paste into `edit` to `maxLength`
// characters. Unlike QLineEdit::setMaxLength, text set by the program (a
// stored setting) is kept whole.
void limitTypedLength(QLineEdit* edit, int maxLength);
