#include "widgets/AppIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <map>

namespace vantorix {

QPixmap AppIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);

  // The chip: a dark body with pins on both sides.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xB0, 0xB8, 0xC0));
  for (int pin = 0; pin < 6; ++pin) {
    painter.drawRect(QRectF(6, 10 + pin * 8, 6, 4));
    painter.drawRect(QRectF(52, 10 + pin * 8, 6, 4));
  }
  painter.setBrush(QColor(0x1E, 0x2A, 0x3A));
  painter.drawRoundedRect(QRectF(11, 4, 42, 56), 4, 4);

  // The gauge: an arc from lean to rich and a needle.
  QPen arc(QColor(0xF5, 0xC5, 0x18), 4, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(arc);
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(17, 16, 30, 30), 30 * 16, 120 * 16);
  painter.setPen(QPen(QColor(0xE0, 0x40, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(32, 38), QPointF(42, 22));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(32, 38), 3.5, 3.5);

  // A label strip, as on a PROM's window sticker.
  painter.setBrush(QColor(0xE8, 0xEC, 0xF0));
  painter.drawRoundedRect(QRectF(19, 46, 26, 8), 2, 2);
  return pixmap;
}

namespace {

// Draws each size when it is first asked for: a window that is only ever shown small (and
// an offscreen one, never) does not pay for the large antialiased sizes at start-up.
class DrawnIconEngine final : public QIconEngine {
 public:
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const int side = std::max(1, std::min(size.width(), size.height()));
    auto drawn = drawn_.find(side);
    if (drawn == drawn_.end()) drawn = drawn_.emplace(side, AppIconPixmap(side)).first;
    if (mode == QIcon::Normal || !qobject_cast<QApplication*>(QCoreApplication::instance())) return drawn->second;
    const QStyleOption option;  // greyed for a disabled window, as the style does any icon
    return QApplication::style()->generatedIconPixmap(mode, drawn->second, &option);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
  }
  QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

 private:
  std::map<int, QPixmap> drawn_;
};

}  // namespace

QIcon AppIcon() { return QIcon(new DrawnIconEngine); }

}  // namespace vantorix
