#include "wbpatch/TableSource.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "bin/FileSystem.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/EmbeddedTables.h"

namespace vantorix::wbpatch {

namespace {

// Far more than any patch table; a larger file is not one.
constexpr std::uintmax_t kLargestTableFile = 1U << 20U;

std::string ReadTableFile(const std::filesystem::path& path) {
  const std::uintmax_t size = std::filesystem::file_size(path);
  if (size > kLargestTableFile)
    throw RuntimeError(ErrorNumber::InvalidFileFormat,
                       path.string() + " has " + std::to_string(size) + " bytes, too many for a patch table");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RuntimeError(ErrorNumber::PathFileAccessError, path.string() + " cannot be read");
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw RuntimeError(ErrorNumber::DeviceIOError, path.string() + " could not be read to its end");
  return text;
}

class UserFolderTables final : public TableSource {
 public:
  Table Load(Version version) override { return InstalledTables(UserTableFolder()).Load(version); }
};

}  // namespace

Table BuiltInTables::Load(Version version) {
  const std::string name(TableFileName(version));
  Table table = ParseTable(version, EmbeddedTableText(name), "built-in " + name);
  table.builtIn = true;
  return table;
}

Table InstalledTables::Load(Version version) {
  const std::filesystem::path path = folder_ / TableFileName(version);
  std::error_code error;
  // A link counts as an installed table even when what it names is gone: a table on an
  // unmounted drive must stop the patch, not let the stand-in take its place.
  if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found)
    return BuiltInTables().Load(version);
  const auto status = std::filesystem::status(path, error);
  if (error) throw ErrorFromSystem(error.value(), path.string() + " is an installed table that cannot be read");
  // Anything in the table's place that is not a readable table stops the patch rather
  // than letting the stand-in be written where the user expects the published patch.
  if (status.type() != std::filesystem::file_type::regular)
    throw RuntimeError(ErrorNumber::InvalidFileFormat, path.string() + " is not a regular file");
  return ParseTable(version, ReadTableFile(path), path.string());
}

std::filesystem::path UserTableFolder(const char* xdgDataHome, const char* home) {
  std::filesystem::path data;
  // A relative XDG_DATA_HOME is to be ignored, as the XDG base-directory rules say.
  if (xdgDataHome != nullptr && std::filesystem::path(xdgDataHome).is_absolute())
    data = xdgDataHome;
  else if (home != nullptr && *home != '\0')
    data = std::filesystem::path(home) / ".local" / "share";
  else
    throw RuntimeError(ErrorNumber::PathNotFound, "neither XDG_DATA_HOME nor HOME names the user's data folder");
  return data / "Vantorix" / "wbpatch";
}

std::filesystem::path UserTableFolder() { return UserTableFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")); }

TableSource& UserTables() {
  static UserFolderTables tables;
  return tables;
}

Installed InstallTable(Version version, const std::filesystem::path& tableFile, const std::filesystem::path& folder) {
  const std::string text = ReadTableFile(tableFile);
  ParseTable(version, text, tableFile.string());
  CreatePrivateFolders(folder.string());
  const std::filesystem::path target = folder / TableFileName(version);
  // By replacement, so that a failed copy never leaves a half-written table in its place.
  std::string unflushed = ReplaceFileContents(RealFileSystem(), target.string(), text);
  return {target, std::move(unflushed)};
}

bool UninstallTable(Version version, const std::filesystem::path& folder) {
  return std::filesystem::remove(folder / TableFileName(version));
}

}  // namespace vantorix::wbpatch
