#pragma once

class QLineEdit;
class QString;

// Limits what the user can type or paste into `edit` to `maxLength`
// characters. Unlike QLineEdit::setMaxLength, text set by the program (a
// stored setting) is kept whole, and an over-long text can still be edited
// shorter.
void limitTypedLength(QLineEdit* edit, int maxLength);

// Sets the text of an edit as the program does: whole, whatever its limit.
void setProgramText(QLineEdit* edit, const QString& text);
