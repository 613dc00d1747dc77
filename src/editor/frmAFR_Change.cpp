// Changing one target AFR: the double-click (or Enter or F2), the change dialog beside the
// cell and the recalculation of a whole RPM row or coolant column.
#include <QKeyEvent>
#include <QTableWidget>

#include "editor/frmAFR.h"
#include "editor/frmNewAFR.h"
#include "foundation/NumberText.h"
#include "pe/AfrChange.h"
#include "widgets/WindowPlacement.h"

namespace vantorix {

namespace {

constexpr std::int16_t kByCoolant = 1;
constexpr std::int16_t kByRpm = 2;

std::string Text(double value) { return number::GeneralText(value); }

}  // namespace

bool frmAFR::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MSFlexGrid1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_F2)) {
      MSFlexGrid1_DblClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void frmAFR::MSFlexGrid1_DblClick() {
  Trapped("MSFlexGrid1_DblClick", [this] {
    const int r = MSFlexGrid1->currentRow();
    const int c = MSFlexGrid1->currentColumn();
    if (r < kFirstDataRow || c < kFirstDataColumn) return;
    m_dblCurrentValue = number::ParseDecimal(CellText(r, c));
    const std::string rpm = CellText(r, 0);
    const std::string celsius = CellText(0, c);
    const std::string fahrenheit = CellText(1, c);

    frmNewAFR dialog(m_shell, *this, this);
    dialog.SetCurrentValueText("Current Target AFR is " + Text(m_dblCurrentValue) + " at " + rpm + "RPMs and " +
                               celsius + "\u00BA C (" + fahrenheit + "\u00BA F)");
    dialog.SetKeptModifiers(m_aintCoolantModifiers.at(static_cast<std::size_t>(c - kFirstDataColumn)),
                            m_aintRPMModifiers.at(static_cast<std::size_t>(r - kFirstDataRow)));
    // Beside the cell, so that the row and the column the change may rewrite stay in view.
    dialog.adjustSize();
    const QWidget& cells = *MSFlexGrid1->viewport();
    const QRect cell = MSFlexGrid1->visualRect(MSFlexGrid1->model()->index(r, c));
    if (const auto place = placement::BesideCell(
            cell.translated(cells.mapToGlobal(QPoint())), cells.rect().translated(cells.mapToGlobal(QPoint())),
            dialog.size().grownBy(placement::FrameOf(*this)), placement::AvailableArea(*this)))
      dialog.move(*place);
    dialog.exec();

    m_shell.WriteLog("Original AFR: " + Text(m_dblCurrentValue) + ", New AFR: " + Text(m_dblNewValue));
    if (m_dblNewValue == m_dblCurrentValue) {
      m_shell.WriteLog("AFRs not modified.");
      return;
    }
    if (m_intSpecifyModifier == kByRpm) {
      m_shell.WriteLog("Recalculating AFRs based on " + rpm + "RPMs...");
      CalculateNewAFRs_RPMModifier(static_cast<std::int16_t>(r), static_cast<std::int16_t>(c));
    } else if (m_intSpecifyModifier == kByCoolant) {
      m_shell.WriteLog("Recalculating AFRs based on " + celsius + "C (" + fahrenheit + "F)...");
      CalculateNewAFRs_CoolantModifier(static_cast<std::int16_t>(r), static_cast<std::int16_t>(c));
    }
  });
}

void frmAFR::CalculateNewAFRs_RPMModifier(std::int16_t intRow, std::int16_t intCol) {
  Trapped("CalculateNewAFRs_RPMModifier", [&] {
    WorkingState before = Working();
    const std::int16_t kept = m_aintCoolantModifiers.at(static_cast<std::size_t>(intCol - kFirstDataColumn));
    const std::int16_t m = m_image.CalculateRPMModifier(kept, m_dblNewValue);
    if (!AcceptModifier("RPM", m)) return;
    m_aintRPMModifiers.at(static_cast<std::size_t>(intRow - kFirstDataRow)) = m;
    m_blnUnwritten = true;
    for (std::size_t i = 0; i < m_aintCoolantModifiers.size(); ++i)
      SetCell(intRow, static_cast<int>(i) + kFirstDataColumn,
              Text(m_image.Calculate_PE_AFR(m_aintCoolantModifiers[i], m)), true);
    m_shell.WriteLog("AFRs recalculated successfully based on new RPM Modifier.");
    PushPending("AFR change at " + CellText(intRow, 0) + " RPM", std::move(before));
    emit TablesChanged();
  });
}

void frmAFR::CalculateNewAFRs_CoolantModifier(std::int16_t intRow, std::int16_t intCol) {
  Trapped("CalculateNewAFRs_CoolantModifier", [&] {
    WorkingState before = Working();
    const std::int16_t kept = m_aintRPMModifiers.at(static_cast<std::size_t>(intRow - kFirstDataRow));
    const std::int16_t m = m_image.CalculateCoolantModifier(kept, m_dblNewValue);
    if (!AcceptModifier("Coolant", m)) return;
    m_aintCoolantModifiers.at(static_cast<std::size_t>(intCol - kFirstDataColumn)) = m;
    m_blnUnwritten = true;
    for (std::size_t j = 0; j < m_aintRPMModifiers.size(); ++j)
      SetCell(static_cast<int>(j) + kFirstDataRow, intCol, Text(m_image.Calculate_PE_AFR(m_aintRPMModifiers[j], m)),
              true);
    m_shell.WriteLog("AFRs recalculated successfully based on new Coolant Modifier.");
    PushPending("AFR change at " + CellText(0, intCol) + " \u00B0C", std::move(before));
    emit TablesChanged();
  });
}

bool frmAFR::AcceptModifier(const std::string& kind, std::int16_t modifier) {
  return afr_change::AcceptModifier(m_shell, kind, modifier);
}

}  // namespace vantorix
