#include "app/WindowShell.h"

#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <utility>

#include "app/LogTime.h"

namespace vantorix {

WindowShell::WindowShell(QWidget& owner, QListWidget& log, QProgressBar& progress, MessageBoxes& boxes, Clock clock,
                         QLocale locale)
    : owner_(owner),
      log_(log),
      progress_(progress),
      boxes_(boxes),
      clock_(std::move(clock)),
      locale_(std::move(locale)) {}

void WindowShell::WriteLog(const std::string& message) {
  log_.addItem(LongTimeText(clock_().time(), locale_) + QStringLiteral(", ") + QString::fromStdString(message));
  // Selects the new line alone (the list also takes a selection of many lines to copy)
  // and scrolls it into view.
  log_.setCurrentRow(log_.count() - 1, QItemSelectionModel::ClearAndSelect);
  logWaiting_ = true;
  if (InFrame())
    QueuePaint();
  else
    PaintWaiting();
}

bool WindowShell::InFrame() const { return painted_.isValid() && !painted_.hasExpired(kFrameMilliseconds); }

void WindowShell::QueuePaint() {
  // Said once for a burst: the event loop paints what is waiting when it turns next.
  if (std::exchange(paintQueued_, true)) return;
  QTimer::singleShot(0, &owner_, [this] {
    paintQueued_ = false;
    // The loop turns now, so the log and the bar join the window's next paint instead of
    // painting a second time on their own.
    if (std::exchange(barWaiting_, false)) progress_.update();
    if (std::exchange(logWaiting_, false)) log_.update();
    painted_.start();
  });
}

void WindowShell::PaintWaiting() {
  if (std::exchange(barWaiting_, false)) progress_.repaint();
  if (std::exchange(logWaiting_, false)) log_.repaint();
  painted_.start();
}

MsgBoxResult WindowShell::MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title, const BoxKind&) {
  PaintWaiting();
  return boxes_.Show(&owner_, QString::fromStdString(text), style, QString::fromStdString(title));
}

void WindowShell::ShowProgress() {
  progress_.show();
  PaintWaiting();
  progress_.repaint();
}

void WindowShell::HideProgress() {
  barWaiting_ = false;
  progress_.hide();
}

void WindowShell::SetProgress(float value) {
  // The bar takes every value at once (whoever watches it sees each step) but paints at
  // most once a frame: its own repaint on a new value is held back here.
  progress_.setUpdatesEnabled(false);
  progress_.setValue(static_cast<int>(value));
  progress_.setUpdatesEnabled(true);
  barWaiting_ = true;
  if (InFrame())
    QueuePaint();
  else
    PaintWaiting();
}

}  // namespace vantorix
