#include "bin/basFileFunctions.h"

#include <filesystem>
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

bool NamesFile(const std::string& path, const std::string& file) {
  std::error_code error;  // what cannot be looked at is compared by its name only
  if (std::filesystem::equivalent(path, file, error)) return true;
  // Made absolute first: a relative name none of whose parts exists would otherwise stay
  // relative, and "x" and "./x" would pass for two files.
  const auto full = [](const std::string& name) {
    std::error_code unknown;
    std::filesystem::path absolute = std::filesystem::absolute(name, unknown);
    if (unknown) return std::filesystem::path(name).lexically_normal();
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, unknown);
    return unknown ? absolute.lexically_normal() : resolved;
  };
  return full(path) == full(file);
}

std::string SaveAsRefusal(const std::string& path, const std::string& image) {
  if (!NamesFile(path, image + ".org")) return {};
  return path +
         " is the backup of the open image, which keeps the image as it was before it was changed.  "
         "Please choose another name.";
}

}  // namespace vantorix
