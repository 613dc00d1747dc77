#include "help/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
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

QHBoxLayout* OkButtonRow(QWidget& window) {
  auto* cmdOK = new QPushButton(QStringLiteral("OK"), &window);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  QObject::connect(cmdOK, &QPushButton::clicked, &window, &QWidget::close);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(cmdOK);
  return row;
}

}  // namespace vantorix::help
