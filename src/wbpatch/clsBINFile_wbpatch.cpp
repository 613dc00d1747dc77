#include "bin/clsBINFile.h"
#include "wbpatch/BroadcastCode.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/TableSource.h"

namespace vantorix {

bool clsBINFile::AddWBHackToBIN() {
  return Trapped("AddWBHackToBIN", [this] { return WriteWBHack(wbpatch::Operation::Insert); });
}

bool clsBINFile::RemoveWBHackFromBIN() {
  return Trapped("RemoveWBHackFromBIN", [this] { return WriteWBHack(wbpatch::Operation::Remove); });
}

// Neither the image's bytes nor a record of an earlier patch are consulted: the version
// follows from the mask and the broadcast code alone. Every table the operation may use
// is loaded, and so checked, before the first byte is written.
bool clsBINFile::WriteWBHack(wbpatch::Operation operation) {
  const auto write = [this](const std::vector<wbpatch::Write>& writes) {
    // A refused byte (past the end of a short image) is reported by WriteToBin; the rest still goes in.
    for (const auto& byte : writes) WriteToBin(byte.offset, byte.value);
  };
  const std::string mask = Mask();
  if (mask == "8D") {
    const auto steps = wbpatch::Steps8D(m_patchTables.Load(wbpatch::Version::Axxc8D),
                                        m_patchTables.Load(wbpatch::Version::Aujp8D), operation);
    for (const auto& step : steps) {
      if (!step.dependsOnBcc) {
        write(step.axxc);
        continue;
      }
      // An image whose code is neither gets only the bytes both codes share.
      const std::string code = WBBCC();
      if (code == bcc::kAxxc) write(step.axxc);
      else if (code == bcc::kAujp) write(step.aujp);
    }
  } else if (mask == "6E") {
    const wbpatch::Table table = m_patchTables.Load(wbpatch::Version::Mask6E);
    for (const auto& entry : table.entries) WriteToBin(entry.offset, entry.ValueFor(operation));
  } else {
    return false;
  }
  m_blnChanged = true;
  return true;
}

}  // namespace vantorix
