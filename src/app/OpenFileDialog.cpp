#include "app/OpenFileDialog.h"

#include <QFileDialog>

#include "foundation/ErrorReport.h"

namespace vantorix {

namespace {

QStringList NameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& display = parts[i];
    filters << (display.contains(u'(') ? display : display + QStringLiteral(" (") + parts[i + 1] + u')');
  }
  return filters;
}

}  // namespace

QString OpenFileDialog(Shell& shell, QFileDialog& dialog, const QString& initialFolder, const QString& filter,
                       const QString& title, int& filterIndex) {
  return Trap(shell, ErrorSite{kFileErrorTitle, "basFileFunctions", "OpenFileDialog"}, [&] {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!initialFolder.isEmpty()) dialog.setDirectory(initialFolder);
    dialog.selectFile(QString());
    const QStringList filters = NameFilters(filter);
    dialog.setNameFilters(filters);
    dialog.setWindowTitle(title);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (!chosen || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst().trimmed();
  });
}

}  // namespace vantorix
