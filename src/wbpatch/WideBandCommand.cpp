#include "wbpatch/WideBandCommand.h"

namespace vantorix::wbpatch {

bool RunWideBandOperation(Shell& shell, clsBINFile& image, const WideBandCommand& command) {
  const std::string name(command.operationName);
  shell.WriteLog("Calling " + name + " based on " + image.Mask());
  shell.WriteLog("Attempting to " + std::string(command.attempt) + " Corvennis' Wide Band hac for " + image.WBBCC());
  const bool succeeded = (image.*command.operation)();
  shell.WriteLog(succeeded ? "Finished calling " + name + " Successfully."
                           : "Finished calling " + name + " but was UNSUCCESSFULL.");
  return succeeded;
}

std::string SuccessText(const WideBandCommand& command, const std::string& bcc) {
  return "WB Hac " + std::string(command.direction) + " BIN successfully (" + bcc + ").";
}

std::string FailureText(const WideBandCommand& command) {
  return "Error: WB Hac WAS NOT " + std::string(command.direction) + " BIN.";
}

}  // namespace vantorix::wbpatch
