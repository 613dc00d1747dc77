// Opening images, and the one road by which a command changes a file.
#include <algorithm>
#include <ostream>
#include <vector>

#include "cli/Cli.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::cli {

namespace {

// What the path names; nullopt when it cannot be looked at, with the cause told.
std::optional<FileKind> KindOfPath(Context& context, FileSystem& files, const std::string& path) {
  try {
    return files.KindOf(path);
  } catch (...) {
    context.shell.Tell(CurrentExceptionAsRuntimeError().Description());
    return std::nullopt;
  }
}

}  // namespace

Status OpenImage(Context& context, clsBINFile& image, FileSystem& files, const std::string& path) {
  CliShell& shell = context.shell;
  shell.Subject(path);
  const auto kind = KindOfPath(context, files, path);
  if (kind != FileKind::Regular) {
    if (kind == FileKind::Missing) {
      shell.WriteLog("File does not exist: " + path);
      shell.MsgBox("File does not exist.  Please try again.", MsgBoxStyle::Exclamation, "File Access Error");
    } else if (kind == FileKind::Other) {
      shell.Tell("not a regular file (a folder, device or pipe)");
    }
    return kFileError;
  }
  const int alarms = shell.Alarms();
  shell.WriteLog("Opening binary file: " + path);
  const Outcome opened = image.OpenBIN(path);
  // A file that could not be opened or read has been reported with its cause; nothing
  // about its contents follows from what was not read.
  if (opened.Result() == Outcome::Kind::Failed) return kFileError;
  if (!opened) {
    shell.WriteLog("Invalid File Selected: " + path);
    // The core has told why; should it not have, say at least that the file was refused.
    if (shell.Alarms() == alarms)
      shell.MsgBox("You did not select a valid Binary (*.bin) file.  Please try again.", MsgBoxStyle::Exclamation,
                   "File Access Error");
    return kFileError;
  }
  shell.WriteLog("File opened successfully.");
  return shell.Alarms() == alarms ? kOk : kFileError;
}

Status Unflushed(Context& context, const std::string& warning) {
  if (warning.empty()) return kOk;
  context.shell.Tell(warning);
  return kFileError;
}

Status RequireEditableMask(Context& context, clsBINFile& image) {
  const std::string mask = image.Mask();
  if (mask == "8D" || mask == "6E") return kOk;
  context.shell.Tell("mask $" + mask +
                     ": This program is only intended to be used with $8D and $6E.  Please choose a $8D or $6E file.");
  return kFileError;
}

Status ChangeImage(Context& context, const std::string& path, bool editableMaskOnly, const Change& change) {
  CliShell& shell = context.shell;
  clsBINFile image(shell, RealFileSystem(), wbpatch::UserPatch());
  Status status = OpenImage(context, image, RealFileSystem(), path);
  if (status == kOk && editableMaskOnly) status = RequireEditableMask(context, image);
  const int alarms = shell.Alarms();
  std::string done;
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  if (status == kOk) status = change(image, done);
  if (status == kOk && shell.Alarms() != alarms) status = kFileError;
  if (status != kOk) {
    if (image.FileOpened()) shell.Tell("left unchanged");
    return status;
  }
  if (!done.empty() && done.back() != '.') done += '.';
  // A change that changed nothing writes nothing: the file, its checksum and an earlier
  // backup stay as they are.
  if (std::ranges::equal(before, image.Bytes())) {
    context.out << path << ": " << done << " Nothing changed; the file was not written.\n";
    return kOk;
  }
  const std::string backup = path + ".org";
  const Outcome backedUp = image.BackupBIN();
  if (!backedUp || shell.Alarms() != alarms) {
    shell.Tell("left unchanged, because its backup could not be made");
    return kFileError;
  }
  context.history.Record(history::Event::BackedUp, path, before);
  shell.WriteLog("Saving Current BIN: " + path + "...");
  const Outcome saved = image.SaveBIN();
  if (!saved) {
    shell.Tell("the save failed; the original is in " + backup);
    return kFileError;
  }
  // Saved: the file holds the new image, whatever is still to be told about the disk.
  context.history.Record(history::Event::ChangedByCli, path, image.Bytes());
  shell.WriteLog("Current BIN Saved.");
  context.out << path << ": " << done << " Saved with checksum " << FourDigits(image.Checksum())
              << "; the original is backed up as " << backup << ".\n";
  return Worst(Unflushed(context, backedUp.Detail()), Unflushed(context, saved.Detail()));
}

}  // namespace vantorix::cli
