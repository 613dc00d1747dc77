#include "wbpatch/WideBandPatch.h"

#include <algorithm>

#include "bin/clsBINFile.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix::wbpatch {

// Neither the image's bytes nor a record of an earlier patch are consulted: the version
// follows from the mask and the broadcast code alone. Only the tables the operation
// writes from are loaded, and so checked, all before the first byte is written: a broken
// table of the other $8D code does not stop an image that does not use it.
std::string WideBandPatch::Write(clsBINFile& image, Shell& shell, PatchDirection direction) {
  const std::string mask = image.Mask();
  if (mask != "8D" && mask != "6E") return {};
  std::vector<Table> tables;
  if (const auto version = VersionFor(mask, image.WBBCC())) {
    tables.push_back(tables_.Load(*version));
  } else {  // a $8D image of neither code gets only what both codes write alike
    tables.push_back(tables_.Load(Version::Axxc8D));
    tables.push_back(tables_.Load(Version::Aujp8D));
  }
  const PatchWrites patch = WritesOf(tables, direction);
  const auto standIn = std::ranges::find_if(tables, &Table::standIn);
  if (standIn != tables.end() &&
      shell.MsgBox(StandInQuestion(*standIn, patch, direction), MsgBoxStyle::YesNoExclamation,
                   std::string(kStandInTitle), BoxKind::Question(kStandInQuestion)) != MsgBoxResult::Yes)
    return {};

  // A refused byte (past the end of a short image) is reported by WriteToBin; the rest still goes in.
  for (const auto& write : patch.writes) image.WriteToBin(write.offset, write.value);
  if (!patch.unknown.empty()) shell.WriteLog(LeftAsTheyAreText(patch.unknown));
  std::string used;
  for (const auto& table : tables) {
    const std::string name = TableName(table);
    if (used != name) used += (used.empty() ? "" : " and ") + name;
  }
  return used;
}

ImagePatch& UserPatch() {
  static WideBandPatch patch(UserTables());
  return patch;
}

}  // namespace vantorix::wbpatch
