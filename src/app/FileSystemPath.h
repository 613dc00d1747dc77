#pragma once

#include <QString>
#include <string>

namespace vantorix {

// The file system's own bytes for a path as Qt shows it. Qt decodes a name that is not
// valid in the locale's encoding with replacement characters, so its text no longer
// names the file; such a name is found again among the names of its folder that decode
// to the same text. A path that names nothing (or more than one file) this way comes
// back as Qt encodes it, for the caller to report.
std::string FileSystemPath(const QString& path);

}  // namespace vantorix
