#include "help/frmInstructions.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "help/HelpTexts.h"
#include "help/HelpWindow.h"

namespace vantorix {

frmInstructions::frmInstructions(QWidget* owner) : QWidget(owner, Qt::Window) {
  help::MakeHelpWindow(*this, "frmInstructions", QStringLiteral("Instructions"));
  auto* column = new QVBoxLayout(this);

  auto* Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label1->setText(help::Displayed(help::InstructionsText()));
  // On a small screen the text scrolls instead of being cut off.
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(Label1);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  column->addWidget(scroll, 1);

  column->addLayout(help::OkButtonRow(*this));
  resize(660, 720);
}

}  // namespace vantorix
