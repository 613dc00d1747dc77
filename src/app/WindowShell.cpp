#include "app/WindowShell.h"

#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <future>
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
  logWaiting_ = true;
  PaintInTime();
}

void WindowShell::PaintInTime() {
  if (!paintQueued_) {
    // The first change since the event loop last turned: the loop paints it with the
    // window when it turns next, which after a short command is at once.
    paintQueued_ = true;
    busy_.start();
    QTimer::singleShot(0, &owner_, [this] {
      paintQueued_ = false;
      if (std::exchange(barWaiting_, false)) progress_.update();
      if (std::exchange(logWaiting_, false)) ShowLastLine(), log_.update();
    });
  } else if (busy_.hasExpired(kFrameMilliseconds)) {
    // The thread has kept the loop from turning for a frame: what it did so far shows now.
    PaintWaiting();
  }
}

void WindowShell::PaintWaiting() {
  if (std::exchange(barWaiting_, false)) progress_.repaint();
  if (std::exchange(logWaiting_, false)) ShowLastLine(), log_.repaint();
  busy_.start();
}

void WindowShell::ShowLastLine() {
  // The newest line alone is selected (the list also takes a selection of many lines to
  // copy) and scrolled into view: once for the lines of a burst, as moving the selection
  // and scrolling cost more than adding a line.
  log_.setCurrentRow(log_.count() - 1, QItemSelectionModel::ClearAndSelect);
}

MsgBoxResult WindowShell::MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title, const BoxKind&) {
  PaintWaiting();
  return boxes_.Show(&owner_, QString::fromStdString(text), style, QString::fromStdString(title));
}

void WindowShell::ShowProgress() {
  progress_.show();
  barWaiting_ = true;
  PaintInTime();
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
  PaintInTime();
}

void WindowShell::WaitFor(const std::function<void()>& work) {
  // Beside this thread when a thread is to be had; otherwise here, once what waits is
  // painted, as for a long wait.
  auto done = std::async(std::launch::async | std::launch::deferred, work);
  if (done.wait_for(std::chrono::milliseconds(kFrameMilliseconds)) != std::future_status::ready) PaintWaiting();
  done.get();
}

}  // namespace vantorix
