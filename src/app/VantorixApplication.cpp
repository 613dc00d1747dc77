#include "app/VantorixApplication.h"

#include <QMessageBox>
#include <QWidget>

#include "app/frmMain.h"
#include "foundation/AppInfo.h"
#include "foundation/ErrorReport.h"
#include "widgets/AppIcon.h"

namespace vantorix {

namespace {

// The name of the window the receiver belongs to, which the report gives as its module.
std::string ModuleOf(QObject* receiver) {
  if (auto* widget = qobject_cast<QWidget*>(receiver)) {
    const QString name = widget->window()->objectName();
    if (!name.isEmpty()) return name.toStdString();
  }
  return std::string(app::kTitle);
}

}  // namespace

VantorixApplication::VantorixApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(app::kTitle.data(), static_cast<qsizetype>(app::kTitle.size())));
  setApplicationVersion(QString::fromUtf8(app::kVersionText.data(), static_cast<qsizetype>(app::kVersionText.size())));
  setWindowIcon(AppIcon());
}

bool VantorixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportEscapedException(receiver, event);
  }
  return false;
}

void VantorixApplication::ReportEscapedException(QObject* receiver, QEvent* event) {
  const std::string procedure = (receiver != nullptr && !receiver->objectName().isEmpty()
                                     ? receiver->objectName().toStdString()
                                     : std::string(receiver != nullptr ? receiver->metaObject()->className() : "?")) +
                                " event " + std::to_string(static_cast<int>(event->type()));
  try {
    if (reportWindow_ != nullptr) {
      ReportCurrentException(reportWindow_->shell(), ErrorSite{kWindowErrorTitle, ModuleOf(receiver), procedure});
      return;
    }
    const RuntimeError error = CurrentExceptionAsRuntimeError();
    QMessageBox::critical(nullptr,
                          QString::fromUtf8(kWindowErrorTitle.data(), static_cast<qsizetype>(kWindowErrorTitle.size())),
                          QString::fromStdString(ErrorReportText(std::to_string(error.Number()), error.Description(),
                                                                 error.Source(), ModuleOf(receiver), procedure))
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  } catch (...) {
    // Reporting failed too (out of memory, most likely): nothing more can be shown.
  }
}

}  // namespace vantorix
