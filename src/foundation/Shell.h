#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vantorix {

// Message box styles, numbered as the classic message-box API numbers them.
enum class MsgBoxStyle : int {
  OkOnly = 0,                   // OK, no icon
  Critical = 16,                // OK with the stop icon
  Exclamation = 48,             // OK with the warning icon
  YesNoCancelExclamation = 51,  // Yes / No / Cancel with the warning icon
  YesNoExclamation = 52         // Yes / No with the warning icon
};

// A box that asks: its answer is the button pressed, not just OK.
inline bool IsQuestion(MsgBoxStyle style) {
  return style == MsgBoxStyle::YesNoCancelExclamation || style == MsgBoxStyle::YesNoExclamation;
}

enum class MsgBoxResult : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// What a message box is, told by the caller besides its text, so that a shell (and a test)
// decides from the kind and its identifier, never by counting boxes or reading titles.
struct BoxKind {
  enum class Type { Report, Message, Question };
  Type type = Type::Message;
  std::string id;  // a report: "module.procedure"; a message or a question: the caller's name for it
  int number = 0;  // a report: the run-time error number

  static BoxKind Report(std::string_view module, std::string_view procedure, int number) {
    return {Type::Report, std::string(module) + "." + std::string(procedure), number};
  }
  static BoxKind Message(std::string_view id) { return {Type::Message, std::string(id), 0}; }
  static BoxKind Question(std::string_view id) { return {Type::Question, std::string(id), 0}; }
};

// The one way the code below the windows talks to the user. The main window
// implements it; tests use a recording fake; the command-line tool writes to
// its standard streams. Nothing in the core ever reaches for a window.
class Shell {
 public:
  virtual ~Shell() = default;

  // Appends one line to the activity log. The shell adds the time of day and ", ".
  virtual void WriteLog(const std::string& message) = 0;

  // Shows a modal message box and returns the button pressed.
  virtual MsgBoxResult MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                              const BoxKind& kind) = 0;

  virtual void ShowProgress() = 0;
  virtual void HideProgress() = 0;
  // value lies in 0..100
  virtual void SetProgress(float value) = 0;

  // Runs work that waits on the disk and touches nothing of the shell, and returns when it
  // has, passing on what it throws. A window shows what waits (the bar, the log) once the
  // work outlasts a frame; a shell with nothing to paint just runs it.
  virtual void WaitFor(const std::function<void()>& work) { work(); }
};

}  // namespace vantorix
