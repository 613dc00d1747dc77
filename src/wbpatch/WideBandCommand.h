#pragma once

#include <string>
#include <string_view>

#include "app/Shell.h"
#include "bin/clsBINFile.h"

// The Add and Remove wideband commands as the user sees them: the log lines around the
// operation and the words of its outcome. The window's menu commands and the
// command-line tool both run them, so both tell the same story in the log.
namespace vantorix::wbpatch {

struct WideBandCommand {
  std::string_view procedure;  // the window handler that reports its errors
  bool (clsBINFile::*operation)();
  std::string_view operationName;  // "AddWBHackToBIN"
  std::string_view attempt;        // "insert" / "remove"
  std::string_view direction;      // "added to" / "removed from"
};

inline constexpr WideBandCommand kAddCommand{"mnuWBAdd_Click", &clsBINFile::AddWBHackToBIN, "AddWBHackToBIN", "insert",
                                             "added to"};
inline constexpr WideBandCommand kRemoveCommand{"mnuWBRemove_Click", &clsBINFile::RemoveWBHackFromBIN,
                                                "RemoveWBHackFromBIN", "remove", "removed from"};

// Runs the operation on an open image between the log lines that say what is attempted
// and how it ended; true when it succeeded. Shows no message: the caller tells the
// outcome with the texts below.
bool RunWideBandOperation(Shell& shell, clsBINFile& image, const WideBandCommand& command);

// "WB Hac added to BIN successfully (AXXC)."
std::string SuccessText(const WideBandCommand& command, const std::string& bcc);
// "Error: WB Hac WAS NOT added to BIN."
std::string FailureText(const WideBandCommand& command);

}  // namespace vantorix::wbpatch
