#pragma once

#include <string>

#include "bin/FileSystem.h"
#include "foundation/Outcome.h"
#include "foundation/Shell.h"

namespace vantorix {

// Copies the opened source file to the destination by replacement and logs
// "Original BIN backed up as: " + destination. The source is already open and locked,
// so a file that another program holds is refused before anything is copied. A failed
// copy leaves an earlier destination as it was; it is reported as a "File Error", logs
// nothing and fails; the caller carries on. A copy in place whose folder could not be
// flushed is done, and the warning is logged after the line and returned.
Outcome BackupFile(Shell& shell, FileSystem& files, OpenedFile& source, const std::string& destination);

}  // namespace vantorix
