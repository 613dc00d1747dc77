#include "bin/basFileFunctions.h"

#include <vector>

#include "foundation/ErrorReport.h"

namespace vantorix {

Outcome BackupFile(Shell& shell, FileSystem& files, OpenedFile& source, const std::string& destination) {
  return Trap(shell, ErrorSite{kFileErrorTitle, "basFileFunctions", "BackupFile"}, [&] {
    // Replaced rather than overwritten: a link from the backup's name to the image, or a
    // copy that fails part way, can then never cost the image or the earlier backup.
    const auto copy = files.Replace(destination, source.Permissions());
    std::vector<std::uint8_t> buffer(std::size_t{1} << 16U);
    for (std::uint64_t offset = 0;;) {
      const std::size_t got = source.ReadAt(offset, buffer);
      if (got == 0) break;
      copy->WriteAt(offset, std::span(buffer).first(got));
      offset += got;
    }
    std::string warning = copy->Commit();
    shell.WriteLog("Original BIN backed up as: " + destination);
    if (!warning.empty()) shell.WriteLog(warning);
    return Outcome::Done(std::move(warning));
  });
}

}  // namespace vantorix
