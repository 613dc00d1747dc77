#pragma once

#include <QWidget>

#include "foundation/Shell.h"

class QLabel;

namespace vantorix {

// About: title, author, copyright, version, the wideband patch credit, how the target
// AFRs are calculated, and the disclaimer. Logs "Viewing About." when it opens and
// "Exiting About." however it is closed.
class frmAbout final : public QWidget {
  Q_OBJECT

 public:
  frmAbout(Shell& shell, QWidget* owner);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* AddRow(const char* captionName, const QString& caption, const char* valueName);
  Shell& shell_;
};

}  // namespace vantorix
