// The grid out of the window: its context menu copies the selected cells to the
// clipboard, as Ctrl+C does, and exports the whole grid as CSV, as vantorix-cli afr --csv
// writes it.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>
#include <algorithm>

#include "bin/FileSystem.h"
#include "bin/basFileFunctions.h"
#include "editor/frmAFR.h"
#include "pe/AfrGridCsv.h"
#include "widgets/EditingKeys.h"
#include "widgets/SaveFileDialog.h"

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
    const std::string image = m_image.FilePath();
    const std::string path = AskForFileToWrite(
        this, m_shell,
        {.title = QStringLiteral("Export CSV"),
         .objectName = QStringLiteral("dlgExportCSV"),
         .nameFilter = QStringLiteral("CSV File (*.csv)"),
         .suffix = QStringLiteral("csv"),
         .folder = QFileInfo(QFile::decodeName(image.c_str())).absolutePath(),
         .nativeDialog = m_nativeFileDialog,
         .refusal =
             [&image](const std::string& chosen) {
               return NamesFile(chosen, image) || NamesFile(chosen, image + ".org")
                          ? chosen +
                                " holds the open image or its backup.  Please choose another name for the CSV file."
                          : std::string();
             },
         .refusalBox = "CsvOverImage",
         .replaceBox = "ReplaceCsv"});
    if (path.empty()) return;
    // The working copies, yellow cells included: what OK would write.
    const std::string unflushed = ReplaceFileContents(
        RealFileSystem(), path, afr_grid::Csv(afr_grid::GridRows(m_image, m_aintCoolantModifiers, m_aintRPMModifiers)));
    m_shell.WriteLog("Target AFR grid exported to " + path + ".");
    if (!unflushed.empty()) m_shell.WriteLog(unflushed);
  });
}

}  // namespace vantorix
