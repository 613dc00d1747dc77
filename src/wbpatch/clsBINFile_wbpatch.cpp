#include <algorithm>

#include "bin/clsBINFile.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix {

bool clsBINFile::AddWBHackToBIN() {
  return Trapped("AddWBHackToBIN", [this] { return WriteWBHack(wbpatch::Operation::Insert); });
}

bool clsBINFile::RemoveWBHackFromBIN() {
  return Trapped("RemoveWBHackFromBIN", [this] { return WriteWBHack(wbpatch::Operation::Remove); });
}

std::string clsBINFile::WBTableUsed() const { return m_strWBTable; }

// Neither the image's bytes nor a record of an earlier patch are consulted: the version
// follows from the mask and the broadcast code alone. Only the tables the operation
// writes from are loaded, and so checked, all before the first byte is written: a broken
// table of the other $8D code does not stop an image that does not use it.
bool clsBINFile::WriteWBHack(wbpatch::Operation operation) {
  using wbpatch::Version;
  m_strWBTable.clear();
  const std::string mask = Mask();
  if (mask != "8D" && mask != "6E") return false;
  std::vector<wbpatch::Table> tables;
  if (const auto version = wbpatch::VersionFor(mask, WBBCC())) {
    tables.push_back(m_patchTables.Load(*version));
  } else {  // a $8D image of neither code gets only what both codes write alike
    tables.push_back(m_patchTables.Load(Version::Axxc8D));
    tables.push_back(m_patchTables.Load(Version::Aujp8D));
  }
  const wbpatch::PatchWrites patch = wbpatch::WritesOf(tables, operation);
  const auto standIn = std::ranges::find_if(tables, &wbpatch::Table::standIn);
  if (standIn != tables.end() &&
      m_shell.MsgBox(wbpatch::StandInQuestion(*standIn, patch, operation), MsgBoxStyle::YesNoExclamation,
                     std::string(wbpatch::kStandInTitle)) != MsgBoxResult::Yes)
    return false;

  // A refused byte (past the end of a short image) is reported by WriteToBin; the rest still goes in.
  for (const auto& write : patch.writes) WriteToBin(write.offset, write.value);
  if (!patch.unknown.empty()) m_shell.WriteLog(wbpatch::LeftAsTheyAreText(patch.unknown));
  for (const auto& table : tables) {
    const std::string name = wbpatch::TableName(table);
    if (m_strWBTable != name) m_strWBTable += (m_strWBTable.empty() ? "" : " and ") + name;
  }
  m_blnChanged = true;
  return true;
}

}  // namespace vantorix
