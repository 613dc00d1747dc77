#pragma once

#include <string>

#include "foundation/Shell.h"

namespace vantorix::test {

// A Shell that shows nothing and keeps only counts, for benchmarks and fuzzing, where a
// full recording would cost more than the work being measured or searched.
class CountingShell : public Shell {
 public:
  void WriteLog(const std::string&) override { ++logs; }
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string&, const BoxKind& kind) override {
    ++boxes;
    if (kind.type == BoxKind::Type::Report) ++errorReports;
    lastBox = text;
    return IsQuestion(style) ? answer : MsgBoxResult::Ok;
  }
  void ShowProgress() override { progressVisible = true; }
  void HideProgress() override { progressVisible = false; }
  void SetProgress(float value) override {
    if (!(value >= 0.0F && value <= 100.0F)) ++progressOutOfRange;
  }

  MsgBoxResult answer = MsgBoxResult::Cancel;  // to every question
  int logs = 0;
  int boxes = 0;
  int errorReports = 0;
  int progressOutOfRange = 0;
  bool progressVisible = false;
  std::string lastBox;
};

}  // namespace vantorix::test
