#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "foundation/ErrorReport.h"
#include "foundation/Shell.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vantorix {

class frmAFR;

// The change-target dialog: asks for the wanted AFR and whether to reach it through the
// cell's RPM modifier or its coolant modifier, and hands both back to the grid window.
// Neither button answers Enter or Escape: a keystroke must never change a calibration.
class frmNewAFR final : public QDialog {
  Q_OBJECT

 public:
  frmNewAFR(Shell& shell, frmAFR& grid, QWidget* parent = nullptr);

  void SetCurrentValueText(const std::string& text);
  // The modifier each choice keeps while it solves for the other: the cell's coolant
  // modifier for RPM, its RPM modifier for Coolant Temperature.
  void SetKeptModifiers(std::int16_t byRpm, std::int16_t byCoolant);

  void optRPM_Click();
  void optCoolant_Click();
  void Command1_Click();
  void cmdOK_Click();
  void cmdCancel_Click();

  // Closing by the window frame hands back the current value unchanged, as Cancel does.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  // Drops every typed character but the digits, the point and backspace, with a beep.
  bool txtNewValue_KeyPress(const QKeyEvent& event);

  Shell& m_shell;
  const ErrorTrapper Trapped{m_shell, kWindowErrorTitle, "frmNewAFR"};
  frmAFR& m_grid;
  QRadioButton* optRPM = nullptr;
  QRadioButton* optCoolant = nullptr;
  QLineEdit* txtNewValue = nullptr;
  QLabel* lblCurrentValue = nullptr;
  std::int16_t m_intKeptByRpm = 0;
  std::int16_t m_intKeptByCoolant = 0;
};

}  // namespace vantorix
