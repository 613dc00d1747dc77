// The grid out of the window: its context menu copies the selected cells to the
// clipboard, as Ctrl+C does, and exports the whole grid as CSV, as vantorix-cli afr --csv
// writes it.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>

#include "bin/FileSystem.h"
#include "editor/frmAFR.h"
#include "pe/AfrGridCsv.h"
#include "widgets/EditingKeys.h"

namespace vantorix {

void frmAFR::AddContextMenu() {
  MSFlexGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
  MSFlexGrid1->addAction(KeepSelectAllAndCopy(*MSFlexGrid1, [this] { return SelectedCellsText(); }));
  auto* exportCsv = new QAction(QStringLiteral("Export CSV\u2026"), MSFlexGrid1);
  exportCsv->setObjectName(QStringLiteral("mnuExportCSV"));
  connect(exportCsv, &QAction::triggered, this, &frmAFR::ExportCsv);
  MSFlexGrid1->addAction(exportCsv);
}

QString frmAFR::SelectedCellsText() const {
  const QItemSelectionModel& selection = *MSFlexGrid1->selectionModel();
  const QModelIndexList selected = selection.selectedIndexes();
  if (selected.isEmpty()) return {};
  int top = kRows, left = kColumns, bottom = 0, right = 0;
  for (const QModelIndex& index : selected) {
    top = std::min(top, index.row()), bottom = std::max(bottom, index.row());
    left = std::min(left, index.column()), right = std::max(right, index.column());
  }
  // With every AFR selected the labels come along, so that the whole table pastes.
  const bool whole = selected.size() == (kRows - kFirstDataRow) * (kColumns - kFirstDataColumn);
  if (whole) top = 0, left = 0;
  QString text;
  for (int row = top; row <= bottom; ++row) {
    QStringList cells;
    for (int column = left; column <= right; ++column) {
      const bool copied = whole || selection.isSelected(MSFlexGrid1->model()->index(row, column));
      cells << (copied ? QString::fromStdString(CellText(row, column)) : QString());
    }
    text += cells.join(u'\t') + u'\n';
  }
  return text;
}

void frmAFR::ExportCsv() {
  Trapped("ExportCsv", [this] {
    QFileDialog dialog(this, QStringLiteral("Export CSV"));
    dialog.setObjectName(QStringLiteral("dlgExportCSV"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, after the image is ruled out
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_nativeFileDialog);
    dialog.setNameFilter(QStringLiteral("CSV File (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setDirectory(QFileInfo(QFile::decodeName(m_image.FilePath().c_str())).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    if (IsImageOrBackup(path)) {
      m_shell.MsgBox(path + " holds the open image or its backup.  Please choose another name for the CSV file.",
                     MsgBoxStyle::Exclamation, "Export CSV", BoxKind::Message("CsvOverImage"));
      return;
    }
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found &&
        m_shell.MsgBox(path + " already exists.  Do you want to replace it?", MsgBoxStyle::YesNoExclamation,
                       "Export CSV", BoxKind::Question("ReplaceCsv")) != MsgBoxResult::Yes)
      return;
    // The working copies, yellow cells included: what OK would write.
    const std::string unflushed = ReplaceFileContents(
        RealFileSystem(), path, afr_grid::Csv(afr_grid::GridRows(m_image, m_aintCoolantModifiers, m_aintRPMModifiers)));
    m_shell.WriteLog("Target AFR grid exported to " + path + ".");
    if (!unflushed.empty()) m_shell.WriteLog(unflushed);
  });
}

bool frmAFR::IsImageOrBackup(const std::string& path) const {
  const std::string image = m_image.FilePath();
  std::error_code error;  // a file that does not exist is neither
  return std::filesystem::equivalent(path, image, error) || std::filesystem::equivalent(path, image + ".org", error);
}

}  // namespace vantorix
