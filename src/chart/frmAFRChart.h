#pragma once

#include <QWidget>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "foundation/ErrorReport.h"
#include "foundation/Shell.h"
#include "pe/AfrTable.h"

class QChart;
class QChartView;
class QCheckBox;

namespace vantorix {

// What the chart draws: the target AFRs shown (the image's, or the grid's working copy
// while it holds changes), the cells changed in the grid and not yet written, and the
// compare image's AFRs when one is open.
struct ChartTables {
  pe::AfrTable shown{};
  std::set<std::pair<int, int>> pending;  // (RPM row, coolant column), from 0
  std::optional<pe::AfrTable> compare;
  bool operator==(const ChartTables&) const = default;
};

// Binary > AFR Chart: the target AFRs as lines, against RPM with one line per coolant
// temperature (or, switched, against the temperature with one line per RPM point). The
// compare image's lines are dashed in the same colours; a changed point not yet written
// is marked. A point's tool tip names its RPM, temperature and AFR; the context menu
// saves the chart as a PNG file. The main window tells it what to draw whenever the image,
// the grid or the compare image changes.
class frmAFRChart final : public QWidget {
  Q_OBJECT

 public:
  frmAFRChart(Shell& shell, bool nativeFileDialog, QWidget* parent = nullptr);

  void Show(const ChartTables& tables);
  // Against the coolant temperature, one line per RPM point (true), or against RPM.
  void PlotAgainstTemperature(bool byTemperature);
  // Writes the chart as it is shown to a PNG file, by replacement.
  void SaveChartAs(const std::string& path);
  QChart& Chart() const;

 private:
  void Draw();
  void cmdSaveChartAs_Click();

  Shell& m_shell;
  const ErrorTrapper Trapped{m_shell, kWindowErrorTitle, "frmAFRChart"};
  bool m_nativeFileDialog;
  QChartView* chtAFR = nullptr;
  QCheckBox* chkByTemperature = nullptr;
  ChartTables m_tables;
  bool m_drawn = false;
};

}  // namespace vantorix
