#include "app/StatusPanelBar.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>

#include "widgets/Twips.h"

namespace vantorix {

StatusPanelBar::StatusPanelBar(const QString& name, const std::vector<main_layout::Panel>& panels, double dotsPerInch,
                               QWidget* parent)
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
  measured_.resize(labels_.size());
  LayOut();
}

QLabel& StatusPanelBar::Panel(int number) { return *labels_.at(static_cast<std::size_t>(number - 1)); }

QString StatusPanelBar::PanelText(int number) const { return labels_.at(static_cast<std::size_t>(number - 1))->text(); }

void StatusPanelBar::SetPanelText(int number, const QString& text) {
  if (Panel(number).text() == text) return;
  Panel(number).setText(text);
  LayOut();
}

int StatusPanelBar::TextWidth(std::size_t panel) {
  // Measuring a text shapes it, the costliest step of a layout: each text is measured once.
  Measured& measured = measured_[panel];
  if (!measured.width || measured.text != labels_[panel]->text()) {
    measured.text = labels_[panel]->text();
    measured.width = labels_[panel]->fontMetrics().horizontalAdvance(measured.text);
  }
  return *measured.width;
}

void StatusPanelBar::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  measured_.assign(labels_.size(), {});
  LayOut();
}

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
  // Each panel gets its designed width where the bar has room. Where it has not, the
  // panels give up their spare width (never their text) in proportion to it, so every
  // panel stays readable instead of the last ones falling off the right edge.
  const std::size_t count = panels_.size();
  std::vector<int> designed(count), needed(count);
  int designedTotal = 0, neededTotal = 0;
  for (std::size_t i = 0; i < count; ++i) {
    designed[i] = twips::ToPixels(std::max(panels_[i].width, panels_[i].minWidth), dpi_);
    const QMargins margins = labels_[i]->contentsMargins();
    needed[i] =
        std::min(designed[i], TextWidth(i) + margins.left() + margins.right() + 2 * labels_[i]->frameWidth() + 4);
    designedTotal += designed[i];
    neededTotal += needed[i];
  }
  const int spare = designedTotal - neededTotal;
  const double share =
      designedTotal <= width() || spare <= 0 ? 1.0 : std::max(0.0, double(width() - neededTotal) / spare);
  int x = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int panelWidth = needed[i] + static_cast<int>((designed[i] - needed[i]) * share);
    labels_[i]->setGeometry(x, 0, panelWidth, height());
    x += panelWidth;
  }
}

}  // namespace vantorix
