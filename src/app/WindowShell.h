#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <functional>

#include "app/MessageBoxes.h"
#include "foundation/Shell.h"

class QListWidget;
class QProgressBar;
class QWidget;

namespace vantorix {

// The main window's side of the seam: log lines go to the activity log list, boxes to
// the message boxes, progress to the progress bar. A file is read and written on the
// window thread, with no event loop turning meanwhile, so the log and the bar are painted
// at once: always the first change after a frame's time without one, so that a line or a
// step shows while a long operation keeps the thread busy. Changes that follow within the
// frame (the ten steps after a whole 32 KB read, the lines of one command) are painted
// together, when the event loop turns next, and at once before the thread can wait: when
// the bar is shown for a read or a write, and before a box.
class WindowShell final : public Shell {
 public:
  using Clock = std::function<QDateTime()>;

  WindowShell(QWidget& owner, QListWidget& log, QProgressBar& progress, MessageBoxes& boxes, Clock clock,
              QLocale locale);

  void WriteLog(const std::string& message) override;
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                      const BoxKind& kind) override;
  void ShowProgress() override;
  void HideProgress() override;
  void SetProgress(float value) override;

 private:
  QWidget& owner_;
  QListWidget& log_;
  QProgressBar& progress_;
  MessageBoxes& boxes_;
  Clock clock_;
  QLocale locale_;
  // Whether the log or the bar was painted at once within the last frame.
  bool InFrame() const;
  // Has the event loop paint what is waiting, once, when it turns next.
  void QueuePaint();
  // Paints at once what is waiting to be painted.
  void PaintWaiting();

  static constexpr qint64 kFrameMilliseconds = 16;
  QElapsedTimer painted_;     // since the log or the bar was last painted at once
  bool logWaiting_ = false;   // the log has a line not yet painted
  bool barWaiting_ = false;   // the bar has a value not yet painted
  bool paintQueued_ = false;  // the event loop is to paint what waits
};

}  // namespace vantorix
