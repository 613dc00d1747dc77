#pragma once

#include <string>
#include <string_view>

#include "bin/FileSystem.h"
#include "bin/VersionKeeper.h"
#include "bin/clsBINFile.h"
#include "foundation/Outcome.h"
#include "foundation/Shell.h"

// The roads by which both programs open and save an image, so that each of their log lines
// and boxes is written once.
namespace vantorix::roads {

// Whether the path names a file to open. A missing one is logged and told, and refused
// without a reason (it has been given); anything but a regular file is refused with the
// reason, which each program tells its own way; a path that cannot be looked at throws
// its real cause.
Outcome FindImage(Shell& shell, FileSystem& files, const std::string& path);

// When a refused file gets the "not a valid Binary" box: always (the window), or only
// when the image object has not told why (the command line, which says each reason once).
enum class RefusalBox { Always, WhenUnexplained };

// Opens a found file into the image: "Opening binary file: …", OpenBIN (with the backup
// when asked), then "File opened successfully." with the bytes as read kept as opened;
// or, for a refused file, "Invalid File Selected: …" and the box. A file that could not be
// opened or read has had its report, and nothing is said after it.
Outcome OpenImage(Shell& shell, clsBINFile& image, const std::string& path, bool backup, VersionKeeper* keeper,
                  RefusalBox box);

// Whether a save says what it does: the Save command does; the save that a "Save Changes"
// question's Yes starts does not.
enum class SaveLines { Logged, Quiet };

// Saves: "Saving Current BIN: ….", SaveBIN, then "Current BIN Saved." with the saved bytes
// kept as `event`, or "Current BIN NOT saved."; a warning of a save that happened is
// logged however quiet the save. Given a target, the image is saved as that file
// (SaveBINAs), the lines name it, and the version is kept for it.
Outcome SaveImage(Shell& shell, clsBINFile& image, VersionKeeper* keeper, VersionEvent event, SaveLines lines,
                  const std::string& target = {});

// The AFR grid and the wideband patch are for $8D and $6E images only, and both programs
// say so in these words.
inline constexpr std::string_view kEditableMasksOnly =
    "This program is only intended to be used with $8D and $6E.  Please choose a $8D or $6E file.";
bool IsEditableMask(const std::string& mask);

}  // namespace vantorix::roads
