#include "app/MessageLog.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <memory>

#include "app/Fonts.h"

MessageLog::MessageLog(QWidget* parent) : QTextEdit(parent), family_(logFontFamily()) {
  setReadOnly(true);
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setUndoRedoEnabled(false);  // the log only grows; an undo stack would double its memory
  const double base = vantrel::RunStyle{}.pointSize;
  const double desktop = logPointSize();
  if (desktop > 0) scale_ = desktop / base;
  QFont font(family_);
  font.setPointSizeF(base * scale_);
  document()->setDefaultFont(font);
  // The document is laid out lazily, so the scroll range grows after an
  // append: follow it to the end unless the user has scrolled since.
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
    if (followEnd_) verticalScrollBar()->setValue(maximum);
  });
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int) { followEnd_ = false; });
}

QTextCharFormat MessageLog::formatFor(const vantrel::RunStyle& style) const {
  QTextCharFormat format;
  format.setFontFamilies({family_});
  format.setFontPointSize(style.pointSize * scale_);
  format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(style.italic);
  format.setFontUnderline(style.underline);
  if (style.colour)
    format.setForeground(QColor(style.colour->red, style.colour->green, style.colour->blue));
  return format;
}

void MessageLog::appendLine(std::string_view markedUpLine) {
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  const QTextCharFormat plain = formatFor(vantrel::RunStyle{});
  // The document starts with one empty block: the first line goes there.
  if (lines_ > 0)
    cursor.insertBlock(QTextBlockFormat(), plain);
  else
    cursor.setCharFormat(plain);
  ++lines_;
  for (const vantrel::MarkupRun& run : vantrel::parseMarkup(markedUpLine))
    cursor.insertText(QString::fromUtf8(run.text.data(), qsizetype(run.text.size())),
                      formatFor(run.style));

  // Keep the new line in view, scrolled to its start.
  followEnd_ = true;
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->maximum());
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void MessageLog::clearLines() {
  clear();
  lines_ = 0;
}

void MessageLog::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
  menu->addSeparator();
  QAction* save = menu->addAction(QStringLiteral("Save log\u2026"));
  save->setObjectName(QStringLiteral("saveLog"));
  save->setEnabled(lines_ > 0);
  connect(save, &QAction::triggered, this, &MessageLog::saveRequested);
  menu->exec(event->globalPos());
}
