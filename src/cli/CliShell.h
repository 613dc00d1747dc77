#pragma once

#include <iosfwd>
#include <string>

#include "foundation/Shell.h"

namespace vantorix::cli {

// The shell of the command-line tool. Message boxes become messages on standard error
// that name the file being worked on; log lines appear there too with --verbose. It
// never asks: a question is answered Cancel, the answer that changes nothing, except the
// stand-in table question (known by its identifier), which the command line answers
// (--allow-stand-in).
class CliShell final : public Shell {
 public:
  CliShell(std::ostream& err, bool verbose) : err_(err), verbose_(verbose) {}

  void WriteLog(const std::string& message) override;
  MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                      const BoxKind& kind) override;
  void ShowProgress() override {}
  void HideProgress() override {}
  void SetProgress(float) override {}

  // The file that messages are about from now on (empty for none).
  void Subject(const std::string& path) { subject_ = path; }
  // A message of the tool's own about the current file.
  void Tell(const std::string& text);
  // Whether the stand-in table question is answered Yes; and whether it was answered No.
  void AllowStandIn(bool allow) { allowStandIn_ = allow; }
  bool DeclinedStandIn() const { return declinedStandIn_; }

 private:
  std::ostream& err_;
  bool verbose_;
  bool allowStandIn_ = false;
  bool declinedStandIn_ = false;
  std::string subject_;
};

}  // namespace vantorix::cli
