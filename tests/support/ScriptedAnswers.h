#pragma once

#include <deque>
#include <map>
#include <string>

#include "foundation/Shell.h"

namespace vantorix::test {

// The style's name, as traces and tests write it.
inline std::string StyleName(MsgBoxStyle style) {
  static const std::map<MsgBoxStyle, std::string> names{{MsgBoxStyle::OkOnly, "OkOnly"},
                                                        {MsgBoxStyle::Critical, "Critical"},
                                                        {MsgBoxStyle::Exclamation, "Exclamation"},
                                                        {MsgBoxStyle::YesNoCancelExclamation, "YesNoCancelExclamation"},
                                                        {MsgBoxStyle::YesNoExclamation, "YesNoExclamation"}};
  return names.at(style);
}

// Answers to message boxes from a script: a box with only an OK button is answered OK
// without taking from the script; a question with no scripted answer left is answered
// Cancel, the answer that changes nothing.
struct ScriptedAnswers {
  MsgBoxResult Next(MsgBoxStyle style) {
    if (!IsQuestion(style)) return MsgBoxResult::Ok;
    if (answers.empty()) return MsgBoxResult::Cancel;
    const MsgBoxResult answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<MsgBoxResult> answers;
};

}  // namespace vantorix::test
