#include "app/WindowShell.h"

#include <QListWidget>
#include <QProgressBar>

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
  log_.repaint();
}

MsgBoxResult WindowShell::MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title, const BoxKind&) {
  return boxes_.Show(&owner_, QString::fromStdString(text), style, QString::fromStdString(title));
}

void WindowShell::ShowProgress() {
  progress_.show();
  progress_.repaint();
}

void WindowShell::HideProgress() { progress_.hide(); }

void WindowShell::SetProgress(float value) {
  progress_.setValue(static_cast<int>(value));
  progress_.repaint();
}

}  // namespace vantorix
