#include "cli/CliShell.h"

#include <ctime>
#include <ostream>

#include "cli/Cli.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix::cli {

void CliShell::WriteLog(const std::string& message) {
  if (!verbose_) return;
  // The time of day in the user's own format, as the window's log shows it.
  char time[64] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) != nullptr) std::strftime(time, sizeof time, "%X", &local);
  err_ << time << ", " << message << '\n';
}

MsgBoxResult CliShell::MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title,
                              const BoxKind& kind) {
  // A box's lines follow its title; the blank lines between its paragraphs are dropped.
  std::string lines;
  for (std::size_t begin = 0; begin <= text.size();) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines += (lines.empty() ? "" : "\n  ") + line;
    begin = end + 1;
  }
  if (kind.type == BoxKind::Type::Question && kind.id == wbpatch::kStandInQuestion) {
    declinedStandIn_ = !allowStandIn_;
    Tell(title + ": " + lines + (allowStandIn_ ? "\n  Yes (--allow-stand-in)." : "\n  No."));
    return allowStandIn_ ? MsgBoxResult::Yes : MsgBoxResult::No;
  }
  Tell(title + ": " + lines);
  return IsQuestion(style) ? MsgBoxResult::Cancel : MsgBoxResult::Ok;
}

void CliShell::Tell(const std::string& text) {
  std::string line = std::string(kProgram) + ": " + (subject_.empty() ? "" : subject_ + ": ") + text;
  // A message may quote a file's contents: no control character reaches the terminal.
  for (char& c : line)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F) c = '?';
  err_ << line << '\n';
}

}  // namespace vantorix::cli
