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
// window thread, with no event loop turning meanwhile. Changes are painted together with
// the window when the event loop turns next, so a short command (the lines of an open,
// the steps of a whole 32 KB read) costs one paint; a change that comes after the thread
// has kept the loop from turning for a frame is painted at once, so that a line or a step
// shows while a long operation keeps the thread busy. A wait on the disk runs beside the
// thread, which paints what waits once the wait outlasts a frame: a slow disk shows the
// bar and the log line of what it is waiting for, a fast one costs no paint. Before a box,
// what waits is painted at once.
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
  void WaitFor(const std::function<void()>& work) override;

 private:
  QWidget& owner_;
  QListWidget& log_;
  QProgressBar& progress_;
  MessageBoxes& boxes_;
  Clock clock_;
  QLocale locale_;
  // Has what waits painted by the event loop, or at once when the loop has not turned for a frame.
  void PaintInTime();
  // Paints at once what is waiting to be painted.
  void PaintWaiting();
  void ShowLastLine();

  static constexpr qint64 kFrameMilliseconds = 16;
  QElapsedTimer busy_;        // since the loop last turned, or what waited was last painted at once
  bool logWaiting_ = false;   // the log has a line not yet painted
  bool barWaiting_ = false;   // the bar has a value not yet painted
  bool paintQueued_ = false;  // the event loop is to paint what waits
};

}  // namespace vantorix
