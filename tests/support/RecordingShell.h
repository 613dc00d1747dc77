#pragma once

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/Shell.h"

namespace vantorix::test {

struct BoxCall {
  std::string text;
  MsgBoxStyle style;
  std::string title;
  BoxKind kind;
};

// A Shell that keeps every call in order and answers message boxes from a script.
class RecordingShell : public Shell {
 public:
  void WriteLog(const std::string& message) override { trace_.push_back("log: " + message); }
  // A box with only an OK button is answered OK without taking from the script; a
  // question with no scripted answer is answered Cancel, the answer that changes nothing.
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                      const BoxKind& kind) override {
    trace_.push_back("box " + std::to_string(static_cast<int>(style)) + " " + title + ": " + text);
    boxes_.push_back({text, style, title, kind});
    if (!IsQuestion(style)) return MsgBoxResult::Ok;
    if (answers_.empty()) return MsgBoxResult::Cancel;
    const MsgBoxResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void ShowProgress() override { trace_.emplace_back("show progress"), progressVisible_ = true; }
  void HideProgress() override { trace_.emplace_back("hide progress"), progressVisible_ = false; }
  void SetProgress(float value) override {
    std::ostringstream text;
    text << "progress " << value;
    trace_.push_back(text.str());
  }

  // Answers for the next questions, in order.
  void Answer(MsgBoxResult answer) { answers_.push_back(answer); }
  void Clear() { trace_.clear(), boxes_.clear(); }

  // Every call as one line: "log: <message>", "box <style> <title>: <text>",
  // "progress <value>", "show progress", "hide progress".
  const std::vector<std::string>& Trace() const { return trace_; }
  const std::vector<BoxCall>& Boxes() const { return boxes_; }
  bool ProgressVisible() const { return progressVisible_; }
  // "module.procedure" of every error report shown, in order; and the error number of each.
  std::vector<std::string> ErrorReports() const {
    std::vector<std::string> places;
    for (const auto& box : boxes_)
      if (box.kind.type == BoxKind::Type::Report) places.push_back(box.kind.id);
    return places;
  }
  std::vector<int> ErrorNumbers() const {
    std::vector<int> numbers;
    for (const auto& box : boxes_)
      if (box.kind.type == BoxKind::Type::Report) numbers.push_back(box.kind.number);
    return numbers;
  }

 private:
  std::vector<std::string> trace_;
  std::vector<BoxCall> boxes_;
  std::deque<MsgBoxResult> answers_;
  bool progressVisible_ = false;
};

}  // namespace vantorix::test
