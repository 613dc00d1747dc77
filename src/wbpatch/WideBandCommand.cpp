#include "wbpatch/WideBandCommand.h"

#include <algorithm>

#include "wbpatch/PatchLayout.h"

namespace vantorix::wbpatch {

bool RunWideBandOperation(Shell& shell, clsBINFile& image, const WideBandCommand& command) {
  const std::string name(command.operationName);
  shell.WriteLog("Calling " + name + " based on " + image.Mask());
  shell.WriteLog("Attempting to " + std::string(command.attempt) + " Corvennis' Wide Band hac for " + image.WBBCC());
  const bool succeeded = (image.*command.operation)();
  shell.WriteLog(succeeded ? "Finished calling " + name + " Successfully."
                           : "Finished calling " + name + " but was UNSUCCESSFULL.");
  if (succeeded) shell.WriteLog("Wideband patch table used: " + image.WBTableUsed());
  return succeeded;
}

std::string SuccessText(const WideBandCommand& command, const std::string& bcc) {
  return "WB Hac " + std::string(command.direction) + " BIN successfully (" + bcc + ").";
}

std::string FailureText(const WideBandCommand& command) {
  return "Error: WB Hac WAS NOT " + std::string(command.direction) + " BIN.";
}

std::string StandInQuestion(const Table& table, const PatchWrites& writes, Operation operation) {
  const bool insert = operation == Operation::Insert;
  const Layout& layout = LayoutOf(table.version);
  std::vector<std::uint16_t> fixed;
  std::size_t madeUp = 0;
  for (const Write& write : writes.writes) {
    const Slot* slot = layout.Find(write.offset);
    if ((insert ? slot->insertion : slot->removal).Fixed())
      fixed.push_back(write.offset);
    else
      ++madeUp;
  }
  std::ranges::sort(fixed);  // told as ascending runs, whatever the order of the writes
  std::string text = "The " + std::string(VersionName(table.version)) + " wideband patch table (" + TableName(table) +
                     ") is a stand-in, not the published patch.\r\n\r\n" +
                     (insert ? "Adding the patch" : "Removing the patch") +
                     " with it writes the values that the published patch fixes at " + OffsetRanges(fixed);
  if (madeUp > 0) text += ", and stand-in values at " + std::to_string(madeUp) + " other bytes";
  if (!writes.unknown.empty())
    text += ", and leaves " + std::to_string(writes.unknown.size()) + " bytes at " + OffsetRanges(writes.unknown) +
            " as they are";
  text += insert ? ". The image gets NO wideband function: do not burn it expecting one." : ".";
  return text +
         "\r\n\r\nTo use the published patch, derive its table from a stock image and the same image with the "
         "published patch applied, and install it (vantorix-cli wb derive, then vantorix-cli wb install; see the "
         "user guide, \"The wideband patch\").\r\n\r\nWrite with the stand-in table anyway?";
}

std::string LeftAsTheyAreText(const std::vector<std::uint16_t>& offsets) {
  const bool one = offsets.size() == 1;
  return std::to_string(offsets.size()) + (one ? " byte at " : " bytes at ") + OffsetRanges(offsets) +
         (one ? " was left as it is: its unpatched value is not in the installed table."
              : " were left as they are: their unpatched values are not in the installed table.");
}

}  // namespace vantorix::wbpatch
