#include "bin/clsBINFile.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

namespace {

class NoPatch final : public ImagePatch {
 public:
  std::string Write(clsBINFile&, Shell&, PatchDirection) override {
    throw RuntimeError(ErrorNumber::ObjectVariableNotSet, "this image was given no wideband patch tables");
  }
};

}  // namespace

ImagePatch& NoImagePatch() {
  static NoPatch none;
  return none;
}

bool clsBINFile::AddWBHackToBIN() {
  return Trapped("AddWBHackToBIN", [this] { return WriteWBHack(PatchDirection::Insert); });
}

bool clsBINFile::RemoveWBHackFromBIN() {
  return Trapped("RemoveWBHackFromBIN", [this] { return WriteWBHack(PatchDirection::Remove); });
}

std::string clsBINFile::WBTableUsed() const { return m_strWBTable; }

// Bytes already written stay written when the patch fails part way; only a completed
// operation marks the image changed.
bool clsBINFile::WriteWBHack(PatchDirection direction) {
  m_strWBTable.clear();
  const std::string table = m_patch.Write(*this, m_shell, direction);
  if (table.empty()) return false;
  m_strWBTable = table;
  m_blnChanged = true;
  return true;
}

}  // namespace vantorix
