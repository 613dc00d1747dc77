#include "editor/frmNewAFR.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/frmAFR.h"
#include "foundation/AppInfo.h"
#include "foundation/NumberText.h"
#include "pe/AfrChange.h"

namespace vantorix {

namespace {

constexpr std::int16_t kByCoolant = 1;
constexpr std::int16_t kByRpm = 2;

// Small pictures beside the choices: a tachometer for RPM, a thermometer for coolant.
QPixmap ModifierPicture(bool tachometer) {
  QPixmap picture(20, 20);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.5));
  if (tachometer) {
    painter.drawArc(QRectF(2, 4, 16, 16), 0, 180 * 16);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLine(QPointF(10, 12), QPointF(15, 6));
  } else {
    painter.drawRoundedRect(QRectF(8, 2, 4, 12), 2, 2);
    painter.setBrush(Qt::red);
    painter.drawEllipse(QPointF(10, 15), 3.5, 3.5);
  }
  return picture;
}

QLabel* Picture(const char* name, bool tachometer, const QString& tip, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(ModifierPicture(tachometer));
  label->setToolTip(tip);
  return label;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

frmNewAFR::frmNewAFR(Shell& shell, frmAFR& grid, QWidget* parent) : QDialog(parent), m_shell(shell), m_grid(grid) {
  setObjectName(QStringLiteral("frmNewAFR"));
  setWindowTitle(QStringLiteral("Change Target AFR"));
  setModal(true);

  auto* fraModifyAFRChoice = new QGroupBox(QStringLiteral("Change Target AFR by ..."), this);
  fraModifyAFRChoice->setObjectName(QStringLiteral("fraModifyAFRChoice"));
  optRPM = new QRadioButton(QStringLiteral("RPM"), fraModifyAFRChoice);
  optRPM->setObjectName(QStringLiteral("optRPM"));
  optCoolant = new QRadioButton(QStringLiteral("Coolant Temperature"), fraModifyAFRChoice);
  optCoolant->setObjectName(QStringLiteral("optCoolant"));
  QPushButton* Command1 = Button("Command1", QStringLiteral("?"), fraModifyAFRChoice);
  auto* choiceRow = new QHBoxLayout(fraModifyAFRChoice);
  choiceRow->addWidget(Picture("Picture1", true, QStringLiteral("RPM Modifier"), fraModifyAFRChoice));
  choiceRow->addWidget(optRPM);
  choiceRow->addWidget(Picture("Picture2", false, QStringLiteral("Coolant Modifier"), fraModifyAFRChoice));
  choiceRow->addWidget(optCoolant);
  choiceRow->addStretch(1);
  choiceRow->addWidget(Command1);

  auto* fraNewValue = new QGroupBox(this);
  fraNewValue->setObjectName(QStringLiteral("fraNewValue"));
  auto* lblNewValue = new QLabel(QStringLiteral("Enter the new Target Air/Fuel Ratio desired:"), fraNewValue);
  lblNewValue->setObjectName(QStringLiteral("lblNewValue"));
  QFont bold = lblNewValue->font();
  bold.setBold(true);
  lblNewValue->setFont(bold);
  txtNewValue = new QLineEdit(fraNewValue);
  txtNewValue->setObjectName(QStringLiteral("txtNewValue"));
  txtNewValue->setFont(bold);
  txtNewValue->setContextMenuPolicy(Qt::NoContextMenu);  // no way to paste letters past the filter
  txtNewValue->installEventFilter(this);
  lblCurrentValue = new QLabel(QStringLiteral("Set at runtime to indicate the current AFR"), fraNewValue);
  lblCurrentValue->setObjectName(QStringLiteral("lblCurrentValue"));
  auto* valueGrid = new QGridLayout(fraNewValue);
  valueGrid->addWidget(lblNewValue, 0, 0);
  valueGrid->addWidget(txtNewValue, 0, 1);
  valueGrid->addWidget(lblCurrentValue, 1, 0, 1, 2);

  QPushButton* ok = Button("cmdOK", QStringLiteral("OK"), this);
  QPushButton* cancel = Button("cmdCancel", QStringLiteral("Cancel"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* column = new QVBoxLayout(this);
  column->addWidget(fraModifyAFRChoice);
  column->addWidget(fraNewValue);
  column->addLayout(buttons);

  connect(optRPM, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optRPM_Click();
  });
  connect(optCoolant, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optCoolant_Click();
  });
  connect(Command1, &QPushButton::clicked, this, &frmNewAFR::Command1_Click);
  connect(ok, &QPushButton::clicked, this, &frmNewAFR::cmdOK_Click);
  connect(cancel, &QPushButton::clicked, this, &frmNewAFR::cmdCancel_Click);

  Form_Load();
}

void frmNewAFR::Form_Load() {
  optRPM->setChecked(true);
  txtNewValue->clear();
  txtNewValue->setFocus();
}

void frmNewAFR::SetCurrentValueText(const std::string& text) { lblCurrentValue->setText(QString::fromStdString(text)); }

void frmNewAFR::SetKeptModifiers(std::int16_t byRpm, std::int16_t byCoolant) {
  m_intKeptByRpm = byRpm;
  m_intKeptByCoolant = byCoolant;
}

void frmNewAFR::optRPM_Click() {
  Trapped("optRPM_Click", [this] { m_shell.WriteLog("RPM Modifier selected."); });
}

void frmNewAFR::optCoolant_Click() {
  Trapped("optCoolant_Click", [this] { m_shell.WriteLog("Coolant Modifier selected."); });
}

void frmNewAFR::Command1_Click() {
  m_shell.MsgBox(
      "From the main screen please choose 'Help->Instructions' in order to learn more about choosing either "
      "the 'RPM' option or the 'Coolant Temperature' option",
      MsgBoxStyle::OkOnly, std::string(app::kTitle), BoxKind::Message("ChangeDialogHelp"));
}

void frmNewAFR::cmdOK_Click() {
  const bool byCoolant = optCoolant->isChecked();
  double wanted = 0.0;
  std::string refusal(afr_change::kNotANumberText);
  try {
    wanted = number::ParseDecimal(txtNewValue->text().trimmed().toStdString());
    refusal = afr_change::UnsolvableText(byCoolant ? "Coolant" : "RPM", byCoolant ? m_intKeptByCoolant : m_intKeptByRpm,
                                         wanted);
  } catch (const RuntimeError&) {
    // Empty text, a lone point or two points: the refusal stays the one for not a number.
  }
  if (!refusal.empty()) {
    // Nothing the solve could work with: ask again rather than let a failed solve store a
    // modifier of 0. Whatever it can solve, however rich or lean, goes to the grid.
    m_shell.MsgBox(refusal, MsgBoxStyle::Exclamation, std::string(app::kTitle), BoxKind::Message("UnsolvableAfr"));
    txtNewValue->setFocus();
    return;
  }
  m_grid.SpecifyModifier(byCoolant ? kByCoolant : optRPM->isChecked() ? kByRpm : std::int16_t{0});
  m_grid.NewValue(wanted);
  done(QDialog::Accepted);
}

void frmNewAFR::cmdCancel_Click() {
  m_grid.NewValue(m_grid.CurrentValue());
  done(QDialog::Rejected);
}

void frmNewAFR::reject() { cmdCancel_Click(); }

void frmNewAFR::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    QApplication::beep();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool frmNewAFR::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtNewValue && event->type() == QEvent::KeyPress)
    return txtNewValue_KeyPress(*static_cast<QKeyEvent*>(event));
  return QDialog::eventFilter(watched, event);
}

bool frmNewAFR::txtNewValue_KeyPress(const QKeyEvent& event) {
  const QString typed = event.text();
  if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete) return false;
  // Keys that type nothing (arrows, Home, Delete, Tab) move or edit as usual.
  if (typed.isEmpty() || event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab) return false;
  const QChar c = typed.front();
  if (typed.size() == 1 && ((c >= u'0' && c <= u'9') || c == u'.')) return false;
  QApplication::beep();
  return true;
}

}  // namespace vantorix
