#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>

#include "app/MessageBoxes.h"

namespace vantorix::test {

// The name of a box's style, as tests write it.
inline QString StyleName(MsgBoxStyle style) {
  static const QMap<MsgBoxStyle, QString> kNames{{MsgBoxStyle::OkOnly, "OkOnly"},
                                                 {MsgBoxStyle::Critical, "Critical"},
                                                 {MsgBoxStyle::Exclamation, "Exclamation"},
                                                 {MsgBoxStyle::YesNoCancelExclamation, "YesNoCancelExclamation"},
                                                 {MsgBoxStyle::YesNoExclamation, "YesNoExclamation"}};
  return kNames.value(style, QString::number(static_cast<int>(style)));
}

// Message boxes for window tests: each box is recorded as "<style name> <title>: <text>", and
// questions are answered from a script (Cancel, the answer that changes nothing, once
// the script has run out), or, with real set, the real box is shown for the test to answer.
class ScriptedMessageBoxes final : public MessageBoxes {
 public:
  MsgBoxResult Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) override {
    shown << StyleName(style) + u' ' + title + QStringLiteral(": ") + text;
    if (real) return QtMessageBoxes().Show(parent, text, style, title);
    if (!IsQuestion(style)) return MsgBoxResult::Ok;
    if (answers.empty()) return MsgBoxResult::Cancel;
    const MsgBoxResult answer = answers.front();
    answers.pop_front();
    return answer;
  }

  QStringList shown;
  std::deque<MsgBoxResult> answers;
  bool real = false;
};

}  // namespace vantorix::test
