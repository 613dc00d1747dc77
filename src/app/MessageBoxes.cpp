#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace vantorix {

MsgBoxResult QtMessageBoxes::Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) {
  QMessageBox box(parent);
  box.setWindowTitle(title);
  QString shown = text;
  box.setText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setTextFormat(Qt::PlainText);
  switch (style) {
    case MsgBoxStyle::OkOnly:
      box.setIcon(QMessageBox::NoIcon);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgBoxStyle::Critical:
      box.setIcon(QMessageBox::Critical);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgBoxStyle::Exclamation:
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgBoxStyle::YesNoCancelExclamation:
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MsgBoxStyle::YesNoExclamation:  // asked before something risky: No unless chosen
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgBoxResult::Yes;
    case QMessageBox::No: return MsgBoxResult::No;
    case QMessageBox::Cancel: return MsgBoxResult::Cancel;
    default:
      if (style == MsgBoxStyle::YesNoExclamation) return MsgBoxResult::No;
      return style == MsgBoxStyle::YesNoCancelExclamation ? MsgBoxResult::Cancel : MsgBoxResult::Ok;
  }
}

}  // namespace vantorix
