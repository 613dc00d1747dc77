#include "bin/ImageRoads.h"

namespace vantorix::roads {

Outcome FindImage(Shell& shell, FileSystem& files, const std::string& path) {
  const FileKind kind = files.KindOf(path);
  if (kind == FileKind::Other) return Outcome::Refused("not a regular file (a folder, device or pipe)");
  if (kind == FileKind::Regular) return Outcome::Done();
  shell.WriteLog("File does not exist: " + path);
  shell.MsgBox("File does not exist.  Please try again.", MsgBoxStyle::Exclamation, "File Access Error",
               BoxKind::Message("FileDoesNotExist"));
  return Outcome::Refused();
}

Outcome OpenImage(Shell& shell, clsBINFile& image, const std::string& path, bool backup, VersionKeeper* keeper,
                  RefusalBox box) {
  shell.WriteLog("Opening binary file: " + path);
  const Outcome opened = image.OpenBIN(path, backup);
  if (opened.Result() == Outcome::Kind::Refused) {
    shell.WriteLog("Invalid File Selected: " + path);
    if (box == RefusalBox::Always || opened.Detail().empty())
      shell.MsgBox("You did not select a valid Binary (*.bin) file.  Please try again.", MsgBoxStyle::Exclamation,
                   "File Access Error", BoxKind::Message("NotAValidBinary"));
  }
  if (!opened) return opened;
  shell.WriteLog("File opened successfully.");
  if (keeper != nullptr) keeper->Keep(VersionEvent::Opened, path, image.Bytes());
  return opened;
}

Outcome SaveImage(Shell& shell, clsBINFile& image, VersionKeeper* keeper, VersionEvent event, SaveLines lines,
                  const std::string& target) {
  const std::string path = target.empty() ? image.FilePath() : target;
  const bool logged = lines == SaveLines::Logged;
  if (logged) shell.WriteLog("Saving Current BIN: " + path + "...");
  const Outcome saved = target.empty() ? image.SaveBIN() : image.SaveBINAs(target);
  if (!saved) {
    if (logged) shell.WriteLog("Current BIN NOT saved.");
    return saved;
  }
  // Once the file holds the image the version is kept, also when the disk may not hold it yet.
  if (keeper != nullptr) keeper->Keep(event, image.FilePath(), image.Bytes());
  if (logged) shell.WriteLog("Current BIN Saved.");
  if (!saved.Detail().empty()) shell.WriteLog(saved.Detail());
  return saved;
}

bool IsEditableMask(const std::string& mask) { return mask == "8D" || mask == "6E"; }

}  // namespace vantorix::roads
