// Opening images, and the one road by which a command changes a file.
#include <algorithm>
#include <ostream>
#include <vector>

#include "bin/ImageRoads.h"
#include "cli/Cli.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::cli {

Status OpenImage(Context& context, clsBINFile& image, FileSystem& files, const std::string& path) {
  CliShell& shell = context.shell;
  shell.Subject(path);
  try {
    if (const Outcome found = roads::FindImage(shell, files, path); !found) {
      if (!found.Detail().empty()) shell.Tell(found.Detail());
      return kFileError;
    }
  } catch (...) {
    shell.Tell(CurrentExceptionAsRuntimeError().Description());
    return kFileError;
  }
  const Outcome opened = roads::OpenImage(shell, image, path, false, nullptr, roads::RefusalBox::WhenUnexplained);
  // An image that ends before a field of its mask has had that field's report: no command
  // works on what it could not read.
  return opened && opened.Detail().empty() ? kOk : kFileError;
}

Status Unflushed(Context& context, const std::string& warning) {
  if (warning.empty()) return kOk;
  context.shell.Tell(warning);
  return kFileError;
}

Status RequireEditableMask(Context& context, clsBINFile& image) {
  const std::string mask = image.Mask();
  if (roads::IsEditableMask(mask)) return kOk;
  context.shell.Tell("mask $" + mask + ": " + std::string(roads::kEditableMasksOnly));
  return kFileError;
}

Status ChangeImage(Context& context, const std::string& path, bool editableMaskOnly, const Change& change) {
  CliShell& shell = context.shell;
  clsBINFile image(shell, RealFileSystem(), wbpatch::UserPatch());
  Status status = OpenImage(context, image, RealFileSystem(), path);
  if (status == kOk && editableMaskOnly) status = RequireEditableMask(context, image);
  std::string done;
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  if (status == kOk) status = change(image, done);
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
  if (!backedUp) {
    shell.Tell("left unchanged, because its backup could not be made");
    return kFileError;
  }
  context.history.Record(history::Event::BackedUp, path, before);
  const Outcome saved =
      roads::SaveImage(shell, image, &context.history, VersionEvent::ChangedByCli, roads::SaveLines::Logged);
  if (!saved) {
    shell.Tell("the save failed; the original is in " + backup);
    return kFileError;
  }
  // Saved: the file holds the new image, whatever is still to be told about the disk.
  context.out << path << ": " << done << " Saved with checksum " << FourDigits(image.Checksum())
              << "; the original is backed up as " << backup << ".\n";
  return Worst(Unflushed(context, backedUp.Detail()), Unflushed(context, saved.Detail()));
}

}  // namespace vantorix::cli
