#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "ScriptedAnswers.h"

namespace vantorix::test {

struct BoxCall {  // style and title are in the trace
  std::string text;
  BoxKind kind;
};

// A Shell that keeps every call in order and answers message boxes from a script.
class RecordingShell : public Shell {
 public:
  void WriteLog(const std::string& message) override { trace_.push_back("log: " + message); }
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                      const BoxKind& kind) override {
    trace_.push_back("box " + StyleName(style) + " " + title + ": " + text);
    boxes_.push_back({text, kind});
    return answers_.Next(style);
  }
  void ShowProgress() override { trace_.emplace_back("show progress"), progressVisible_ = true; }
  void HideProgress() override { trace_.emplace_back("hide progress"), progressVisible_ = false; }
  void SetProgress(float value) override {
    std::ostringstream text;
    text << "progress " << value;
    trace_.push_back(text.str());
  }

  // Answers for the next questions, in order.
  void Answer(MsgBoxResult answer) { answers_.answers.push_back(answer); }
  void Clear() { trace_.clear(), boxes_.clear(); }

  // Every call as one line: "log: <message>", "box <style name> <title>: <text>",
  // "progress <value>", "show progress", "hide progress".
  const std::vector<std::string>& Trace() const { return trace_; }
  // The trace with each box cut after its first line.
  std::vector<std::string> Outline() const {
    std::vector<std::string> lines;
    for (const auto& line : trace_) lines.push_back(line.substr(0, line.find('\r')));
    return lines;
  }
  const std::vector<BoxCall>& Boxes() const { return boxes_; }
  bool ProgressVisible() const { return progressVisible_; }
  // "module.procedure" of every error report shown, in order; and the error number of each.
  std::vector<std::string> ErrorReports() const { return OfReports(&BoxKind::id); }
  std::vector<int> ErrorNumbers() const { return OfReports(&BoxKind::number); }

 private:
  template <class Field>
  std::vector<Field> OfReports(Field BoxKind::*field) const {
    std::vector<Field> values;
    for (const auto& box : boxes_)
      if (box.kind.type == BoxKind::Type::Report) values.push_back(box.kind.*field);
    return values;
  }

  std::vector<std::string> trace_;
  std::vector<BoxCall> boxes_;
  ScriptedAnswers answers_;
  bool progressVisible_ = false;
};

}  // namespace vantorix::test
