#pragma once

#include <QTextCharFormat>
#include <QTextEdit>
#include <string_view>

#include "common/markup.h"

// The read-only message log. Each appended line is parsed for its markup
// ("[b]", "[bl]", "[re]", ...) and shown without the tags, every run in its
// own character format; a new line always starts in the default format.
class MessageLog : public QTextEdit {
  Q_OBJECT

 public:
  explicit MessageLog(QWidget* parent = nullptr);

  void appendLine(std::string_view markedUpLine);
  void clearLines();
  int lineCount() const { return lines_; }

  // The character format of one run: family of the log, the run's size,
  // weight, slant, underline and colour (no colour: the palette's text).
  QTextCharFormat formatFor(const vantrel::RunStyle& style) const;

 signals:
  // "Save log..." was chosen in the context menu.
  void saveRequested();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QString family_;
  // The markup's sizes are for an 8-point log; the log follows the size of
  // the desktop's fixed-pitch font and scales them alike.
  double scale_ = 1.0;
  int lines_ = 0;
  bool followEnd_ = true;
};
