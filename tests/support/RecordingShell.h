#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Shell.h"

namespace vantorix::test {

struct BoxCall {
  std::string text;
  MsgBoxStyle style;
  std::string title;
};

// A Shell that keeps every call in order and answers message boxes from a script.
class RecordingShell : public Shell {
 public:
  void WriteLog(const std::string& message) override;
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title) override;
  void ShowProgress() override;
  void HideProgress() override;
  void SetProgress(float value) override;

  // Answers for the next boxes, in order. A box with only an OK button is answered OK
  // without taking from the script; a question with no scripted answer is counted in
  // UnscriptedQuestions() and answered Cancel, the answer that changes nothing.
  void Answer(MsgBoxResult answer) { answers_.push_back(answer); }
  int UnscriptedQuestions() const { return unscripted_; }

  // Every call as one line: "log: <message>", "box <style> <title>: <text>",
  // "progress <value>", "show progress", "hide progress".
  const std::vector<std::string>& Trace() const { return trace_; }
  std::vector<std::string> Logs() const { return logs_; }
  const std::vector<BoxCall>& Boxes() const { return boxes_; }
  std::vector<float> ProgressValues() const { return progress_; }
  // "module.procedure" of every error report shown, in order.
  std::vector<std::string> ErrorReports() const;
  // The error number of every error report shown, in order.
  std::vector<int> ErrorNumbers() const;
  bool ProgressVisible() const { return progressVisible_; }

  void Clear();

 private:
  std::vector<std::string> trace_;
  std::vector<std::string> logs_;
  std::vector<BoxCall> boxes_;
  std::vector<float> progress_;
  std::deque<MsgBoxResult> answers_;
  int unscripted_ = 0;
  bool progressVisible_ = false;
};

}  // namespace vantorix::test
