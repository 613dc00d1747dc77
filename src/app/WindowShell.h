#pragma once

#include <QDateTime>
#include <QLocale>
#include <functional>

#include "app/MessageBoxes.h"
#include "foundation/Shell.h"

class QListWidget;
class QProgressBar;
class QWidget;

namespace vantorix {

// The main window's side of the seam: log lines go to the activity log list, boxes to
// the message boxes, progress to the progress bar. Both repaint at once because a file
// is read and written on the window thread, with no event loop turning meanwhile.
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
};

}  // namespace vantorix
