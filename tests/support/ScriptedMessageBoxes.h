#pragma once

#include <QString>
#include <QStringList>

#include "ScriptedAnswers.h"
#include "app/MessageBoxes.h"

namespace vantorix::test {

// Message boxes for window tests: each box is recorded as "<style name> <title>: <text>" and
// answered from the script or, with real set, shown for the test to answer.
class ScriptedMessageBoxes final : public MessageBoxes {
 public:
  MsgBoxResult Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) override {
    shown << QString::fromStdString(StyleName(style)) + u' ' + title + QStringLiteral(": ") + text;
    if (real) return QtMessageBoxes().Show(parent, text, style, title);
    return script.Next(style);
  }

  QStringList shown;
  ScriptedAnswers script;
  bool real = false;
};

}  // namespace vantorix::test
