#pragma once

#include <string>

#include "app/Shell.h"
#include "bin/FileSystem.h"

namespace vantorix {

// Copies the source over the destination (an existing destination is replaced) and logs
// "Original BIN backed up as: " + destination. A failed copy is reported as a
// "File Error" and logs nothing; the caller carries on.
void BackupFile(Shell& shell, FileSystem& files, const std::string& source, const std::string& destination);

}  // namespace vantorix
