#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "app/MessageBoxes.h"

namespace vantorix::test {

// Message boxes for window tests: every box is recorded, and questions are answered from
// a script (Cancel, the answer that changes nothing, when the script has run out).
class ScriptedMessageBoxes final : public MessageBoxes {
 public:
  struct Box {
    QString text;
    MsgBoxStyle style;
    QString title;
  };

  MsgBoxResult Show(QWidget*, const QString& text, MsgBoxStyle style, const QString& title) override {
    boxes.push_back({text, style, title});
    if (style != MsgBoxStyle::YesNoCancelExclamation) return MsgBoxResult::Ok;
    if (answers.empty()) return MsgBoxResult::Cancel;
    const MsgBoxResult answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Box> boxes;
  std::deque<MsgBoxResult> answers;
};

}  // namespace vantorix::test
