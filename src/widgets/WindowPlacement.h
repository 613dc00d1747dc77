#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

// Where windows open and how large, so that each fits the screen it opens on. Positions
// and sizes passed as `frame` are of the whole window, its frame included.
namespace vantorix::placement {

// The designed size of a window's inside, shrunk where its frame would leave the available area.
QSize Fitting(QSize designed, QMargins frame, const QRect& available);

// The top-left of a frame of the given size centred on `over`, moved inside `available`.
QPoint CentredOn(const QRect& over, QSize frame, const QRect& available);

// The top-left of a frame of the given size near `cell` that covers neither the cell's
// row nor its column of `table` and lies inside `available`: the nearest such place to
// the cell, or none when the screen has no room for it.
std::optional<QPoint> BesideCell(const QRect& cell, const QRect& table, QSize frame, const QRect& available);

// The frame of the widget's window as the platform reports it, none while it does not know
// it yet; every window of the program gets the same from the window manager.
QMargins FrameOf(const QWidget& widget);
// The available area of the screen the widget is on.
QRect AvailableArea(const QWidget& widget);

// Applies Fitting and CentredOn to a window about to open over `owner`.
void OpenCentredOn(QWidget& window, const QWidget& owner);

}  // namespace vantorix::placement
