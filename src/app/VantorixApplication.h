#pragma once

#include <QApplication>
#include <QPointer>

namespace vantorix {

class frmMain;

// The application object. Whatever exception escapes an event handler is caught here and
// shown as an error report, so the program never ends without a word.
class VantorixApplication final : public QApplication {
  Q_OBJECT

 public:
  VantorixApplication(int& argc, char** argv);

  // The window whose shell shows the reports; without one a plain message box is used.
  void SetReportWindow(frmMain* window) { reportWindow_ = window; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ReportEscapedException(QObject* receiver, QEvent* event);
  QPointer<frmMain> reportWindow_;
};

}  // namespace vantorix
