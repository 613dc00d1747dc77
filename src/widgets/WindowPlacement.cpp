#include "widgets/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace vantorix::placement {

namespace {

// Keeps start inside [low, high - length + 1]; a length longer than the range starts at low.
int Inside(int start, int length, int low, int high) { return std::max(low, std::min(start, high + 1 - length)); }

}  // namespace

QSize Fitting(QSize designed, QMargins frame, const QRect& available) {
  return designed.boundedTo(available.size().shrunkBy(frame));
}

QPoint CentredOn(const QRect& over, QSize frame, const QRect& available) {
  QRect place(QPoint(), frame);
  place.moveCenter(over.center());
  return {Inside(place.left(), frame.width(), available.left(), available.right()),
          Inside(place.top(), frame.height(), available.top(), available.bottom())};
}

std::optional<QPoint> BesideCell(const QRect& cell, const QRect& table, QSize frame, const QRect& available) {
  constexpr int kGap = 8;
  const QRect row(table.left(), cell.top(), table.width(), cell.height());
  const QRect column(cell.left(), table.top(), cell.width(), table.height());
  // Each side of the cell and of the table, and the screen's edges.
  const int lefts[] = {cell.right() + 1 + kGap,  cell.left() - kGap - frame.width(),
                       table.right() + 1 + kGap, table.left() - kGap - frame.width(),
                       available.left(),         available.right() + 1 - frame.width()};
  const int tops[] = {cell.bottom() + 1 + kGap,  cell.top() - kGap - frame.height(),
                      table.bottom() + 1 + kGap, table.top() - kGap - frame.height(),
                      available.top(),           available.bottom() + 1 - frame.height()};
  std::optional<QRect> nearest;
  const auto distance = [&cell](const QRect& place) { return (place.center() - cell.center()).manhattanLength(); };
  for (const int left : lefts)
    for (const int top : tops)
      if (const QRect place(QPoint(left, top), frame); available.contains(place) && !place.intersects(row) &&
                                                       !place.intersects(column) &&
                                                       (!nearest || distance(place) < distance(*nearest)))
        nearest = place;
  if (!nearest) return std::nullopt;
  return nearest->topLeft();
}

QMargins FrameOf(const QWidget& widget) {
  const QWindow* handle = widget.window()->windowHandle();
  return handle != nullptr ? handle->frameMargins() : QMargins();
}

QRect AvailableArea(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  // Without a screen nothing limits the size.
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void OpenCentredOn(QWidget& window, const QWidget& owner) {
  const QMargins frame = FrameOf(owner);
  const QRect available = AvailableArea(owner);
  window.resize(Fitting(window.size(), frame, available));
  window.move(CentredOn(owner.frameGeometry(), window.size().grownBy(frame), available));
}

}  // namespace vantorix::placement
