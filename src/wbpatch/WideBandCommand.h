#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bin/clsBINFile.h"
#include "foundation/Shell.h"
#include "wbpatch/PatchTable.h"

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

// Runs the operation on an open image between the log lines that say what is attempted,
// how it ended and, after a success, which table it wrote from; true when it succeeded.
// Shows no message: the caller tells the outcome with the texts below.
bool RunWideBandOperation(Shell& shell, clsBINFile& image, const WideBandCommand& command);

// "WB Hac added to BIN successfully (AXXC)."
std::string SuccessText(const WideBandCommand& command, const std::string& bcc);
// "Error: WB Hac WAS NOT added to BIN."
std::string FailureText(const WideBandCommand& command);

// The title of the question an operation asks before it writes with a stand-in table.
inline constexpr std::string_view kStandInTitle = "Stand-in Patch Table";
// The identifier of that question, by which a shell knows it.
inline constexpr std::string_view kStandInQuestion = "WriteStandInTable";
// That question: the table is a stand-in, what the image would get from it, and how to
// install the published patch's table instead.
std::string StandInQuestion(const Table& table, const PatchWrites& writes, Operation operation);
// "516 bytes at 0x3D7C-0x3F7F were left as they are: their unpatched values are not in
// the installed table."
std::string LeftAsTheyAreText(const std::vector<std::uint16_t>& offsets);

}  // namespace vantorix::wbpatch
