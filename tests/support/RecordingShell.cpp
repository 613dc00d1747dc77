#include "RecordingShell.h"

#include <sstream>

namespace vantorix::test {

void RecordingShell::WriteLog(const std::string& message) {
  trace_.push_back("log: " + message);
  logs_.push_back(message);
}

MsgBoxResult RecordingShell::MsgBox(const std::string& text, MsgBoxStyle style, const std::string& title) {
  trace_.push_back("box " + std::to_string(static_cast<int>(style)) + " " + title + ": " + text);
  boxes_.push_back({text, style, title});
  if (!IsQuestion(style)) return MsgBoxResult::Ok;
  if (answers_.empty()) {
    ++unscripted_;
    return MsgBoxResult::Cancel;
  }
  const MsgBoxResult answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingShell::ShowProgress() {
  trace_.emplace_back("show progress");
  progressVisible_ = true;
}

void RecordingShell::HideProgress() {
  trace_.emplace_back("hide progress");
  progressVisible_ = false;
}

void RecordingShell::SetProgress(float value) {
  std::ostringstream text;
  text << "progress " << value;
  trace_.push_back(text.str());
  progress_.push_back(value);
}

std::vector<std::string> RecordingShell::ErrorReports() const {
  static const std::string kPrefix = "Error in ";
  std::vector<std::string> places;
  for (const auto& box : boxes_) {
    if (box.style != MsgBoxStyle::Critical || box.text.rfind(kPrefix, 0) != 0) continue;
    const auto end = box.text.find('\r');
    places.push_back(box.text.substr(kPrefix.size(), end - kPrefix.size()));
  }
  return places;
}

std::vector<int> RecordingShell::ErrorNumbers() const {
  static const std::string kLabel = "Error Number: ";
  std::vector<int> numbers;
  for (const auto& box : boxes_) {
    const auto at = box.text.find(kLabel);
    if (box.style == MsgBoxStyle::Critical && at != std::string::npos)
      numbers.push_back(std::stoi(box.text.substr(at + kLabel.size())));
  }
  return numbers;
}

void RecordingShell::Clear() {
  trace_.clear();
  logs_.clear();
  boxes_.clear();
  progress_.clear();
}

}  // namespace vantorix::test
