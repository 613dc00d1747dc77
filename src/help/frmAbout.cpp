#include "help/frmAbout.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

#include "foundation/AppInfo.h"
#include "help/HelpTexts.h"
#include "help/HelpWindow.h"
#include "widgets/AppIcon.h"

namespace vantorix {

namespace {

QFrame* Separator(const char* name, QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setObjectName(QString::fromLatin1(name));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QFont LabelFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(8.25);
  return font;
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

frmAbout::frmAbout(Shell& shell, QWidget* owner) : QWidget(owner, Qt::Window), shell_(shell) {
  help::MakeHelpWindow(*this, "frmAbout", QStringLiteral("About"));
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);

  shell_.WriteLog("Viewing About.");

  auto* picAppIcon = new QLabel(this);
  picAppIcon->setObjectName(QStringLiteral("picAppIcon"));
  picAppIcon->setPixmap(AppIconPixmap(48));
  auto* lblTitle = new QLabel(this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont titleFont(QStringLiteral("MS Sans Serif"));
  titleFont.setPointSizeF(13.5);
  lblTitle->setFont(titleFont);
  grid->addWidget(picAppIcon, 0, 0);
  grid->addWidget(lblTitle, 0, 1);
  grid->addWidget(Separator("Line2", this), 1, 0, 1, 2);

  QLabel* lblAuthorName = AddRow("lblAuthor", QStringLiteral("Author:"), "lblAuthorName");
  QLabel* lblCopyright = AddRow("Label1", QStringLiteral("Copyright:"), "lblCopyright");
  QLabel* lblVersion = AddRow("Label2", QStringLiteral("Version:"), "lblVersion");
  QLabel* Label5 = AddRow("Label4", QStringLiteral("WB Hacs:"), "Label5");
  QLabel* lblTargetAFR = AddRow("Label6", QStringLiteral("AFRs:"), "lblTargetAFR");
  QLabel* lblGuiltPlea = AddRow("Label7", QStringLiteral("Disclaimer:"), "lblGuiltPlea");
  grid->addWidget(Separator("Line3", this), grid->rowCount(), 0, 1, 2);

  grid->addLayout(help::OkButtonRow(*this), grid->rowCount(), 0, 1, 2);

  lblAuthorName->setText(Text(app::kAuthor));
  lblVersion->setText(Text(help::VersionText(app::kVersionMajor, app::kVersionMinor, app::kVersionRevision)));
  lblTitle->setText(Text(app::kTitle));
  lblCopyright->setText(Text(app::kCopyright));
  lblGuiltPlea->setText(Text(help::DisclaimerText()));
  lblTargetAFR->setText(help::Displayed(help::TargetAfrText()));
  Label5->setText(Text(help::PatchCreditText()));
  resize(560, sizeHint().height());
}

QLabel* frmAbout::AddRow(const char* captionName, const QString& caption, const char* valueName) {
  auto* grid = static_cast<QGridLayout*>(layout());
  const int row = grid->rowCount();
  auto* captionLabel = new QLabel(caption, this);
  captionLabel->setObjectName(QString::fromLatin1(captionName));
  captionLabel->setFont(LabelFont());
  captionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* value = new QLabel(this);
  value->setObjectName(QString::fromLatin1(valueName));
  value->setFont(LabelFont());
  value->setWordWrap(true);
  value->setTextFormat(Qt::PlainText);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(captionLabel, row, 0);
  grid->addWidget(value, row, 1);
  return value;
}

void frmAbout::closeEvent(QCloseEvent* event) {
  shell_.WriteLog("Exiting About.");
  QWidget::closeEvent(event);
}

}  // namespace vantorix
