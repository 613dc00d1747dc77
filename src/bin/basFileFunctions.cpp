#include "bin/basFileFunctions.h"

#include "app/ErrorReport.h"

namespace vantorix {

void BackupFile(Shell& shell, FileSystem& files, const std::string& source, const std::string& destination) {
  Trap(shell, ErrorSite{kFileErrorTitle, "basFileFunctions", "BackupFile"}, [&] {
    files.CopyOver(source, destination);
    shell.WriteLog("Original BIN backed up as: " + destination);
  });
}

}  // namespace vantorix
