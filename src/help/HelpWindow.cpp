#include "help/HelpWindow.h"

#include <QWidget>

namespace vantorix::help {

QString Displayed(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void MakeHelpWindow(QWidget& window, const char* name, const QString& caption) {
  window.setObjectName(QString::fromLatin1(name));
  window.setWindowTitle(caption);
  window.setAttribute(Qt::WA_DeleteOnClose);
  window.setAttribute(Qt::WA_QuitOnClose, false);
}

}  // namespace vantorix::help
