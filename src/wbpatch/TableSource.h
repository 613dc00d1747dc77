#pragma once

#include <filesystem>
#include <utility>

#include "wbpatch/PatchTable.h"

// Where the patch tables come from. The program ships stand-in tables; a user who holds
// the published patch installs the table derived from it, which then takes the built-in
// table's place for its version.
namespace vantorix::wbpatch {

class TableSource {
 public:
  virtual ~TableSource() = default;
  // The table in effect for the version, checked against its layout. Throws a
  // RuntimeError when it cannot be had; a table that is there but malformed is never
  // replaced by another behind the user's back.
  virtual Table Load(Version version) = 0;
};

// The tables compiled into the program.
class BuiltInTables final : public TableSource {
 public:
  Table Load(Version version) override;
};

// The tables installed in a folder, each named after its version (TableFileName); a
// version with no file there falls back to the built-in table.
class InstalledTables final : public TableSource {
 public:
  explicit InstalledTables(std::filesystem::path folder) : folder_(std::move(folder)) {}
  Table Load(Version version) override;

 private:
  std::filesystem::path folder_;
};

// The folder of the user's installed tables: $XDG_DATA_HOME/Vantorix/wbpatch when that
// is an absolute path, else $HOME/.local/share/Vantorix/wbpatch. Path not found (76)
// when neither names a folder to use. Null stands for an unset variable.
std::filesystem::path UserTableFolder(const char* xdgDataHome, const char* home);
std::filesystem::path UserTableFolder();  // from this process's environment

// The tables the program uses: those installed in UserTableFolder(), looked up afresh
// at every Load so that a table installed while the program runs takes effect at once;
// the built-in ones where none is installed. The window program and the command-line
// tool both take their tables from here.
TableSource& UserTables();

// Reads a table file, checks it as the version's table and copies it unchanged into the
// folder (created when missing, for the user alone) under the version's file name,
// replacing an earlier one. A refused table leaves the folder as it was.
struct Installed {
  std::filesystem::path path;  // the installed file
  std::string unflushed;       // what the replacement's Commit said, empty when all is on the disk
};
Installed InstallTable(Version version, const std::filesystem::path& tableFile, const std::filesystem::path& folder);

// Removes the version's installed table, so the built-in one is used again. False when
// none was installed.
bool UninstallTable(Version version, const std::filesystem::path& folder);

}  // namespace vantorix::wbpatch
