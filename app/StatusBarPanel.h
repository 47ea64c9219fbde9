#pragma once

#include <QLabel>

// One panel of the status bar. Its width is the pixel width of its text
// followed by one letter "a"; when the window is too narrow for that the
// panel is clipped instead of widening the window.
class StatusBarPanel : public QLabel {
  Q_OBJECT

 public:
  explicit StatusBarPanel(QWidget* parent = nullptr);

  // Shows " " + text and sizes the panel to it.
  void setPanelText(const QString& text);
  int panelWidth() const { return panelWidth_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  int panelWidth_ = 0;
};
