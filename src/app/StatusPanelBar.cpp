#include "app/StatusPanelBar.h"

#include <QLabel>
#include <algorithm>

#include "app/Twips.h"

namespace vantorix {

StatusPanelBar::StatusPanelBar(const QString& name, const std::vector<main_layout::Panel>& panels,
                               double dotsPerInch, QWidget* parent)
    : QWidget(parent), panels_(panels), dpi_(dotsPerInch) {
  setObjectName(name);
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(name + QStringLiteral("Panel") + QString::number(i + 1));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(3, 0, 3, 0);
    labels_.push_back(label);
  }
  LayOut();
}

QLabel& StatusPanelBar::Panel(int number) { return *labels_.at(static_cast<std::size_t>(number - 1)); }

QString StatusPanelBar::PanelText(int number) const { return labels_.at(static_cast<std::size_t>(number - 1))->text(); }

void StatusPanelBar::SetPanelText(int number, const QString& text) { Panel(number).setText(text); }

int StatusPanelBar::PanelMinWidthTwips(int number) const {
  return panels_.at(static_cast<std::size_t>(number - 1)).minWidth;
}

void StatusPanelBar::SetPanelMinWidthTwips(int number, int twips) {
  panels_.at(static_cast<std::size_t>(number - 1)).minWidth = twips;
  LayOut();
}

QSize StatusPanelBar::sizeHint() const { return {0, height()}; }
QSize StatusPanelBar::minimumSizeHint() const { return {0, 0}; }

void StatusPanelBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void StatusPanelBar::LayOut() {
  int x = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const int width = twips::ToPixels(std::max(panels_[i].width, panels_[i].minWidth), dpi_);
    labels_[i]->setGeometry(x, 0, width, height());
    x += width;
  }
}

}  // namespace vantorix
