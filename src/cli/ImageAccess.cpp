// Opening images, and the one road by which a command changes a file.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <vector>

#include "bin/ImageRoads.h"
#include "bin/basFileFunctions.h"
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

void RefuseExisting(const std::string& path, std::string_view instead) {
  std::error_code error;
  if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found)
    throw RuntimeError(ErrorNumber::PathFileAccessError,
                       "it exists and was left as it was: choose a new file, or " + std::string(instead));
}

namespace {

// Whether -o may name the file: never the input's backup, nor a file that exists (the
// input among them).
Status RefuseOutput(Context& context, const std::string& input, const std::string& output) {
  context.shell.Subject(output);
  try {
    if (NamesFile(output, input + ".org"))
      throw RuntimeError(ErrorNumber::PathFileAccessError,
                         "it is the backup of " + input +
                             ", which keeps the image as it was before it was changed: choose another file");
    RefuseExisting(output, "leave -o out to change the image itself");
  } catch (...) {
    context.shell.Tell(CurrentExceptionAsRuntimeError().Description());
    return kFileError;
  }
  context.shell.Subject(input);
  return kOk;
}

}  // namespace

Status ChangeImage(Context& context, const std::string& path, bool editableMaskOnly,
                   const std::optional<std::string>& output, const Change& change) {
  CliShell& shell = context.shell;
  if (output && RefuseOutput(context, path, *output) != kOk) return kFileError;
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
    context.out << path << ": " << done << " Nothing changed; " << (output ? *output : "the file")
                << " was not written.\n";
    return kOk;
  }
  if (output) {
    // The input stays as it was, so it needs no backup: the changed image goes to the
    // new file only.
    const Outcome saved =
        roads::SaveImage(shell, image, &context.history, VersionEvent::ChangedByCli, roads::SaveLines::Logged, *output);
    if (!saved) {
      shell.Subject(*output);
      // A failure has had its report; a refusal has not.
      shell.Tell(saved.Result() == Outcome::Kind::Refused ? "not written: " + saved.Detail()
                                                          : "not written; " + path + " was left as it was");
      return kFileError;
    }
    context.out << *output << ": " << done << " Written from " << path << " with checksum "
                << FourDigits(image.Checksum()) << "; " << path << " was left as it was.\n";
    return Unflushed(context, saved.Detail());
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
