#include "app/StatusBarPanel.h"

StatusBarPanel::StatusBarPanel(QWidget* parent) : QLabel(parent) {
  setContentsMargins(0, 0, 0, 0);
  setIndent(0);
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
}

void StatusBarPanel::setPanelText(const QString& text) {
  const QString shown = QLatin1Char(' ') + text;
  setText(shown);
  panelWidth_ = fontMetrics().horizontalAdvance(shown + QLatin1Char('a'));
  updateGeometry();
}

QSize StatusBarPanel::sizeHint() const {
  return {panelWidth_, QLabel::sizeHint().height()};
}

QSize StatusBarPanel::minimumSizeHint() const {
  return {0, QLabel::minimumSizeHint().height()};
}
