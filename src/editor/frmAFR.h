#pragma once

#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "bin/clsBINFile.h"
#include "foundation/ErrorReport.h"
#include "foundation/Shell.h"
#include "pe/AfrTable.h"

class QTableWidget;
class QPushButton;
class QUndoStack;

namespace vantorix {

// The power-enrichment target AFR grid: 17 RPM rows by 9 coolant columns, computed from
// working copies of the image's two modifier tables. A double-click (or Enter or F2)
// changes a target by solving for a new RPM or coolant modifier; its context menu copies
// the grid or exports it as CSV. OK writes both tables back into the image,
// Cancel drops the copies and leaves the image as it was. Closed any other way while it
// holds changes not yet written (yellow cells), it asks which of the two to do. Its own
// undo list takes back and puts back those changes one by one.
class frmAFR final : public QWidget {
  Q_OBJECT

 public:
  // Grid rows 0 and 1 and column 0 hold the labels; rows 2..18 and columns 1..9 the AFRs.
  static constexpr int kRows = 19;
  static constexpr int kColumns = 10;
  static constexpr int kFirstDataRow = 2;
  static constexpr int kFirstDataColumn = 1;

  frmAFR(Shell& shell, clsBINFile& image, bool nativeFileDialog, QWidget* parent = nullptr);

  // Written and read by the change dialog.
  void SpecifyModifier(std::int16_t intValue) { m_intSpecifyModifier = intValue; }
  void NewValue(double dblNewAFR);
  double CurrentValue();

  void cmdOK_Click();
  void cmdCancel_Click();
  // Acts on the grid's current data cell.
  void MSFlexGrid1_DblClick();

  // True from an accepted change until OK has written it, Cancel has dropped it or it has
  // been undone.
  bool HasUnwrittenChanges() const { return m_blnUnwritten; }
  // The changes not yet written, one step each ("AFR change at 3200 RPM"), for Edit >
  // Undo and Redo while the grid is open.
  QUndoStack& PendingSteps() { return *m_pending; }
  // The target AFRs of the working copies, and the cells a change has made yellow
  // ((RPM row, coolant column), from 0).
  pe::AfrTable WorkingTable() const;
  std::set<std::pair<int, int>> PendingCells() const;
  // The compare image's target AFRs, or none: each cell that differs from it is marked in
  // its corner and names the compare value and the difference in its tool tip.
  void SetCompare(const std::optional<pe::AfrTable>& compare);

 signals:
  // OK has put the working copies into the image (all of them, or some before an error);
  // before holds the image's bytes as they were, step names what was written.
  void ImageWritten(const QByteArray& before, const QString& step);
  // A change has rewritten a row or a column of the working copies.
  void TablesChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What an undone step puts back: both working copies, each data cell's value before
  // its first change (none where it is not yellow), row by row, and whether any is yellow.
  struct WorkingState {
    std::vector<std::int16_t> coolant;
    std::vector<std::int16_t> rpm;
    std::vector<QVariant> before;
    bool unwritten = false;
  };
  WorkingState Working() const;
  void PutWorking(const WorkingState& state);
  void PushPending(const std::string& text, WorkingState before);

  void Form_Load();
  void InitializeVariableDefaults();
  void InitializeControls();
  void CalculateNewAFRs_RPMModifier(std::int16_t intRow, std::int16_t intCol);
  void CalculateNewAFRs_CoolantModifier(std::int16_t intRow, std::int16_t intCol);
  // What both recalculations share: the range check with its refusals, the log lines and
  // the yellow cells. kind is "RPM" or "Coolant".
  bool AcceptModifier(const std::string& kind, std::int16_t modifier);
  void SetCell(int row, int column, const std::string& text, bool changed = false);
  std::string CellText(int row, int column) const;
  // The modifiers of a data cell and, once it is yellow, what it showed before.
  QString CellTip(int row, int column, const QString& before) const;
  void KeepCurrentCellOnData(int row, int column, int previousRow, int previousColumn);
  // The context menu: Copy, and Export CSV… of the working copies.
  void AddContextMenu();
  // The selected cells as tab-separated rows, the way spreadsheets paste them.
  QString SelectedCellsText() const;
  void ExportCsv();

  Shell& m_shell;
  const ErrorTrapper Trapped{m_shell, kWindowErrorTitle, "frmAFR"};
  clsBINFile& m_image;
  QTableWidget* MSFlexGrid1 = nullptr;
  std::vector<std::int16_t> m_aintCoolantModifiers;  // element k (1-based) at index k - 1
  std::vector<std::int16_t> m_aintRPMModifiers;
  double m_dblCurrentValue = 0.0;
  double m_dblNewValue = 0.0;
  std::int16_t m_intSpecifyModifier = 0;
  bool m_blnUnloading = false;
  bool m_blnUnwritten = false;
  bool m_nativeFileDialog;
  std::optional<pe::AfrTable> m_compare;
  QUndoStack* m_pending = nullptr;
};

}  // namespace vantorix
