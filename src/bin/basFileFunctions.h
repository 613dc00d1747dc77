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

// Whether path names the file, by that name or another (a link, another spelling), or
// would name it once made: a name that does not exist yet is compared as written out in full.
bool NamesFile(const std::string& path, const std::string& file);

// Why the image at `image` may not be saved as path, or empty when it may: its backup,
// the one copy of the image as it was before Vantorix changed it, is never written over.
std::string SaveAsRefusal(const std::string& path, const std::string& image);

}  // namespace vantorix
