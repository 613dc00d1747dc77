#include "editor/frmAFR.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/NumberText.h"
#include "pe/AfrChange.h"
#include "pe/AfrGridLabels.h"
#include "widgets/Twips.h"
#include "widgets/UndoSteps.h"

namespace vantorix {

namespace {

constexpr int kGridWidthTwips = 9700;
constexpr int kGridHeightTwips = 4695;

const QColor kChangedBackground(255, 255, 0);
const QColor kChangedText(0, 0, 0);
// The corner mark of a cell that differs from the compare image: dark enough to stand out
// on white and on yellow alike.
const QColor kCompareMark(0, 70, 200);
constexpr int kCompareRole = Qt::UserRole + 1;  // the compare image's AFR, on cells that differ

bool IsDataCell(int row, int column) { return row >= frmAFR::kFirstDataRow && column >= frmAFR::kFirstDataColumn; }

// A changed cell that is current keeps its yellow: the current cell is framed in the
// selection colour instead of filled with it.
class CurrentCellFrame final : public QStyledItemDelegate {
 public:
  explicit CurrentCellFrame(QAbstractItemView& view) : QStyledItemDelegate(&view), view_(view) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    PaintCell(painter, option, index);
    if (!index.data(kCompareRole).isValid()) return;
    const QRectF cell(option.rect);
    const double side = std::max(7.0, cell.height() * 0.45);
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(kCompareMark);
    painter->drawPolygon(
        QPolygonF({cell.topRight(), cell.topRight() - QPointF(side, 0), cell.topRight() + QPointF(0, side)}));
    painter->restore();
  }

 private:
  void PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index != view_.currentIndex()) return QStyledItemDelegate::paint(painter, option, index);
    QStyleOptionViewItem own(option);
    own.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    painter->fillRect(option.rect, option.palette.base());  // over the style's selected row panel
    QStyledItemDelegate::paint(painter, own, index);
    painter->save();
    painter->setPen(QPen(option.palette.brush(QPalette::Highlight), 2));
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
  }

  const QAbstractItemView& view_;
};

// The hourglass while the grid is filled; restored however the filling ends.
class FillingGrid {
 public:
  explicit FillingGrid(QWidget& grid) : grid_(grid) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid_.setEnabled(false);
  }
  ~FillingGrid() {
    grid_.setEnabled(true);
    QApplication::restoreOverrideCursor();
  }
  FillingGrid(const FillingGrid&) = delete;
  FillingGrid& operator=(const FillingGrid&) = delete;

 private:
  QWidget& grid_;
};

}  // namespace

frmAFR::frmAFR(Shell& shell, clsBINFile& image, bool nativeFileDialog, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_image(image), m_nativeFileDialog(nativeFileDialog) {
  setObjectName(QStringLiteral("frmAFR"));
  setWindowTitle(QStringLiteral("Power Enrichment Target Air/Fuel Ratios"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_pending = new QUndoStack(this);

  auto* frame = new QGroupBox(this);
  frame->setObjectName(QStringLiteral("Frame1"));
  auto* frameLayout = new QGridLayout(frame);
  auto* coolantCaption = new QLabel(QStringLiteral("Coolant Temperature"), frame);
  coolantCaption->setObjectName(QStringLiteral("lblCoolant"));
  coolantCaption->setAlignment(Qt::AlignCenter);
  auto* rpmCaption = new QLabel(QStringLiteral("R\nP\nM"), frame);
  rpmCaption->setObjectName(QStringLiteral("lblRPM"));
  rpmCaption->setAlignment(Qt::AlignCenter);

  MSFlexGrid1 = new QTableWidget(kRows, kColumns, frame);
  MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
  MSFlexGrid1->horizontalHeader()->hide();
  MSFlexGrid1->verticalHeader()->hide();
  MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  MSFlexGrid1->setItemDelegate(new CurrentCellFrame(*MSFlexGrid1));
  MSFlexGrid1->installEventFilter(this);  // Enter and F2
  AddContextMenu();
  // The label column fits "Degrees C", the others five-character values such as 305.6;
  // rows fit the font. So the grid fits its designed size at any scaling.
  const QFontMetrics metrics(MSFlexGrid1->font());
  MSFlexGrid1->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance(QStringLiteral("-88.88")) + 12);
  MSFlexGrid1->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("Degrees C")) + 12);
  MSFlexGrid1->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
  // The AFR columns share whatever width the label column leaves: no empty band at the right.
  MSFlexGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  MSFlexGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
  const double dpi = screen() != nullptr ? screen()->logicalDotsPerInch() : 96.0;
  const int contentWidth =
      MSFlexGrid1->columnWidth(0) + (kColumns - 1) * MSFlexGrid1->horizontalHeader()->defaultSectionSize() + 4;
  const int contentHeight = kRows * MSFlexGrid1->verticalHeader()->defaultSectionSize() + 4;
  MSFlexGrid1->setFixedSize(std::max(twips::ToPixels(kGridWidthTwips, dpi), contentWidth),
                            std::max(twips::ToPixels(kGridHeightTwips, dpi), contentHeight));
  connect(MSFlexGrid1, &QTableWidget::cellDoubleClicked, this, [this] { MSFlexGrid1_DblClick(); });
  connect(MSFlexGrid1, &QTableWidget::currentCellChanged, this, &frmAFR::KeepCurrentCellOnData);

  frameLayout->addWidget(coolantCaption, 0, 1);
  frameLayout->addWidget(rpmCaption, 1, 0);
  frameLayout->addWidget(MSFlexGrid1, 1, 1);

  auto* note = new QLabel(QStringLiteral("Note: Double Click on a table cell to change the Target AFR"), this);
  note->setObjectName(QStringLiteral("lblNote"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(ok, &QPushButton::clicked, this, &frmAFR::cmdOK_Click);
  connect(cancel, &QPushButton::clicked, this, &frmAFR::cmdCancel_Click);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(note, 1);
  bottom->addWidget(ok);
  bottom->addWidget(cancel);
  auto* column = new QVBoxLayout(this);
  column->addWidget(frame);
  column->addLayout(bottom);

  Form_Load();
}

void frmAFR::Form_Load() {
  Trapped("Form_Load", [this] {
    m_shell.WriteLog("View issued for WOT PE AFRs.");
    InitializeVariableDefaults();
    InitializeControls();
  });
}

void frmAFR::InitializeVariableDefaults() {
  Trapped("InitializeVariableDefaults", [this] {
    m_dblNewValue = 0.0;
    m_dblCurrentValue = 0.0;
  });
}

void frmAFR::InitializeControls() {
  Trapped("InitializeControls", [this] {
    const FillingGrid filling(*MSFlexGrid1);
    MSFlexGrid1->clearContents();

    m_shell.WriteLog("Populating Coolant Temps...");
    for (int c = 1; c <= afr_grid::kCoolantPoints; ++c) SetCell(0, c, afr_grid::CelsiusLabel(c));
    SetCell(0, 0, "Degrees C");
    for (int c = 1; c <= afr_grid::kCoolantPoints; ++c) SetCell(1, c, afr_grid::FahrenheitLabel(c));
    SetCell(1, 0, "Degrees F");

    m_shell.WriteLog("Populating RPMs...");
    for (int i = 1; i <= afr_grid::kRpmPoints; ++i) SetCell(i + 1, 0, afr_grid::RpmLabel(i));

    m_shell.WriteLog("Requesting Modifiers from BIN...");
    m_aintCoolantModifiers = m_image.GetPEModifiers_Coolant();
    m_aintRPMModifiers = m_image.GetPEModifiers_RPM();

    m_shell.WriteLog("Populating grid with AFRs...");
    for (std::size_t c = 0; c < m_aintCoolantModifiers.size(); ++c)
      for (std::size_t j = 0; j < m_aintRPMModifiers.size(); ++j)
        SetCell(static_cast<int>(j) + kFirstDataRow, static_cast<int>(c) + kFirstDataColumn,
                number::GeneralText(m_image.Calculate_PE_AFR(m_aintCoolantModifiers[c], m_aintRPMModifiers[j])));
    m_shell.WriteLog("AFRs calculated and populated to grid successfully.");
    MSFlexGrid1->setCurrentCell(kFirstDataRow, kFirstDataColumn);
  });
}

void frmAFR::NewValue(double dblNewAFR) {
  Trapped("NewValue", [&] { m_dblNewValue = dblNewAFR; });
}

double frmAFR::CurrentValue() {
  return Trapped("CurrentValue", [this] { return m_dblCurrentValue; });
}

void frmAFR::cmdOK_Click() {
  const std::span<const std::uint8_t> bytes = m_image.Bytes();
  const QByteArray before(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  const QString step = m_pending->index() == 1 ? m_pending->text(0) : QStringLiteral("AFR changes");
  const QScopeGuard written([&] { emit ImageWritten(before, step); });
  Trapped("cmdOK_Click", [this] {
    for (std::size_t i = 0; i < m_aintCoolantModifiers.size(); ++i)
      m_image.PutPEModifier_Coolant(static_cast<std::int16_t>(i + 1), m_aintCoolantModifiers[i]);
    for (std::size_t i = 0; i < m_aintRPMModifiers.size(); ++i)
      m_image.PutPEModifier_RPM(static_cast<std::int16_t>(i + 1), m_aintRPMModifiers[i]);
    m_blnUnwritten = false;
    m_shell.WriteLog("Exiting PE AFR.  User chose OK.  Any changes to the AFR are being *remembered*.");
    m_blnUnloading = true;
    close();
  });
}

void frmAFR::cmdCancel_Click() {
  Trapped("cmdCancel_Click", [this] {
    m_shell.WriteLog("Exiting PE AFR.  User chose CANCEL.  Any changes to the AFR have been *forgotten*.");
    m_blnUnwritten = false;
    m_blnUnloading = true;
    close();
  });
}

void frmAFR::closeEvent(QCloseEvent* event) {
  // Closed some other way than OK or Cancel (its frame, a key, closing or replacing the
  // image): yellow cells are never lost, nor written, without a question. Without them
  // the grid just goes: the Cancel line in the log stands for the user's own choice.
  if (!m_blnUnloading && m_blnUnwritten) {
    const MsgBoxResult answer = m_shell.MsgBox(
        "The Target AFR grid holds changes that are not in the BIN yet.  Do you wish to keep "
        "these changes?\r\n\r\nYes keeps them (as OK does), No forgets them (as Cancel "
        "does), Cancel returns to the grid.",
        MsgBoxStyle::YesNoCancelExclamation, "Keep AFR Changes", BoxKind::Question("KeepAfrChanges"));
    if (answer == MsgBoxResult::Yes) cmdOK_Click();
    if (answer == MsgBoxResult::No) cmdCancel_Click();
    if (!m_blnUnloading) {  // Cancel, or an OK that failed and was reported: the grid stays
      event->ignore();
      return;
    }
  }
  QWidget::closeEvent(event);
  m_pending->setActive(false);  // Edit > Undo and Redo go back to the image's steps at once
  if (auto* frame = parentWidget(); frame != nullptr && frame->inherits("QMdiSubWindow")) frame->close();
}

void frmAFR::SetCell(int row, int column, const std::string& text, bool changed) {
  auto* item = MSFlexGrid1->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    const bool header = !IsDataCell(row, column);
    item->setFlags(header ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (header) item->setBackground(MSFlexGrid1->palette().button());
    MSFlexGrid1->setItem(row, column, item);
  }
  const QString before = changed && item->data(Qt::UserRole).isNull() ? item->text() : QString();
  item->setText(QString::fromStdString(text));
  if (changed) {
    if (!before.isNull()) item->setData(Qt::UserRole, before);  // what the image holds, kept from the first change
    item->setBackground(kChangedBackground);
    item->setForeground(kChangedText);
  }
  if (!IsDataCell(row, column)) return;
  // Marked where the compare image commands another AFR than the cell now shows.
  QVariant compared;
  if (m_compare) {
    const double other = (*m_compare)[static_cast<std::size_t>(row - kFirstDataRow)]
                                     [static_cast<std::size_t>(column - kFirstDataColumn)];
    if (other != number::ParseDecimal(text)) compared = other;
  }
  item->setData(kCompareRole, compared);
  item->setToolTip(CellTip(row, column, item->data(Qt::UserRole).toString()));
}

frmAFR::WorkingState frmAFR::Working() const {
  WorkingState state{m_aintCoolantModifiers, m_aintRPMModifiers, {}, m_blnUnwritten};
  for (int row = kFirstDataRow; row < kRows; ++row)
    for (int column = kFirstDataColumn; column < kColumns; ++column)
      state.before.push_back(MSFlexGrid1->item(row, column) ? MSFlexGrid1->item(row, column)->data(Qt::UserRole)
                                                            : QVariant());
  return state;
}

void frmAFR::PutWorking(const WorkingState& state) {
  Trapped("PutWorking", [&] {
    m_aintCoolantModifiers = state.coolant;
    m_aintRPMModifiers = state.rpm;
    m_blnUnwritten = state.unwritten;
    auto before = state.before.begin();
    for (int row = kFirstDataRow; row < kRows; ++row)
      for (int column = kFirstDataColumn; column < kColumns; ++column, ++before) {
        QTableWidgetItem* item = MSFlexGrid1->item(row, column);
        if (item == nullptr) continue;  // left out by a filling that failed
        item->setData(Qt::UserRole, *before);
        item->setData(Qt::BackgroundRole, before->isNull() ? QVariant() : QVariant(QBrush(kChangedBackground)));
        item->setData(Qt::ForegroundRole, before->isNull() ? QVariant() : QVariant(QBrush(kChangedText)));
        const auto coolant = static_cast<std::size_t>(column - kFirstDataColumn);
        const auto rpm = static_cast<std::size_t>(row - kFirstDataRow);
        SetCell(row, column,
                number::GeneralText(
                    m_image.Calculate_PE_AFR(m_aintCoolantModifiers.at(coolant), m_aintRPMModifiers.at(rpm))));
      }
    emit TablesChanged();
  });
}

void frmAFR::PushPending(const std::string& text, WorkingState before) {
  m_pending->push(new StateStep<WorkingState>(QString::fromStdString(text), std::move(before), Working(),
                                              [this](const WorkingState& state) { PutWorking(state); }));
}

pe::AfrTable frmAFR::WorkingTable() const { return pe::AfrTableFrom(m_aintCoolantModifiers, m_aintRPMModifiers); }

std::set<std::pair<int, int>> frmAFR::PendingCells() const {
  std::set<std::pair<int, int>> cells;
  for (int row = kFirstDataRow; row < kRows; ++row)
    for (int column = kFirstDataColumn; column < kColumns; ++column)
      if (const auto* item = MSFlexGrid1->item(row, column); item != nullptr && !item->data(Qt::UserRole).isNull())
        cells.emplace(row - kFirstDataRow, column - kFirstDataColumn);
  return cells;
}

void frmAFR::SetCompare(const std::optional<pe::AfrTable>& compare) {
  if (compare == m_compare) return;
  m_compare = compare;
  for (int row = kFirstDataRow; row < kRows; ++row)
    for (int column = kFirstDataColumn; column < kColumns; ++column)
      if (const auto* item = MSFlexGrid1->item(row, column)) SetCell(row, column, item->text().toStdString());
  MSFlexGrid1->viewport()->update();
}

QString frmAFR::CellTip(int row, int column, const QString& before) const {
  const auto modifier = [](const std::vector<std::int16_t>& table, int index) {
    return QString::fromStdString(afr_change::ModifierText(table.at(static_cast<std::size_t>(index))));
  };
  QString tip = QStringLiteral("RPM modifier: ") + modifier(m_aintRPMModifiers, row - kFirstDataRow) +
                QStringLiteral("\nCoolant modifier: ") + modifier(m_aintCoolantModifiers, column - kFirstDataColumn);
  if (!before.isEmpty()) tip += QStringLiteral("\nTarget AFR before the change: ") + before;
  if (const QVariant other = MSFlexGrid1->item(row, column)->data(kCompareRole); other.isValid()) {
    const double difference = number::RoundTwoDecimals(number::ParseDecimal(CellText(row, column)) - other.toDouble());
    tip += QStringLiteral("\nCompare image: ") + QString::fromStdString(number::GeneralText(other.toDouble())) +
           QStringLiteral(" (difference ") + (difference > 0 ? QStringLiteral("+") : QString()) +
           QString::fromStdString(number::GeneralText(difference)) + QStringLiteral(")");
  }
  return tip;
}

std::string frmAFR::CellText(int row, int column) const {
  const auto* item = MSFlexGrid1->item(row, column);
  return item != nullptr ? item->text().toStdString() : std::string();
}

void frmAFR::KeepCurrentCellOnData(int row, int column, int previousRow, int previousColumn) {
  if (row < 0 || IsDataCell(row, column)) return;
  // Header cells never become current: stay on the data cell that was.
  const bool hadData = IsDataCell(previousRow, previousColumn);
  const QSignalBlocker quiet(MSFlexGrid1);
  MSFlexGrid1->setCurrentCell(hadData ? previousRow : kFirstDataRow, hadData ? previousColumn : kFirstDataColumn);
}

}  // namespace vantorix
