// wb add | remove | derive | install
#include <cctype>
#include <ostream>

#include "cli/Cli.h"
#include "foundation/AppInfo.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/PatchLayout.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix::cli {

namespace {

using wbpatch::Version;

// "8d-axxc", "8d-aujp" or "6e", in either case: the table's file name without ".txt".
Version VersionArgument(const std::string& text) {
  for (const Version version : wbpatch::kVersions) {
    const std::string_view name = wbpatch::TableFileName(version);
    const std::string_view stem = name.substr(0, name.find('.'));
    if (std::ranges::equal(stem, text, [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
      return version;
  }
  throw UsageError("--version " + text + ": it must be 8d-axxc, 8d-aujp or 6e");
}

// Reports the exception being handled in plain words about the current subject.
Status Refused(Context& context) {
  context.shell.Tell(CurrentExceptionAsRuntimeError().Description());
  return kFileError;
}

Status AddOrRemove(Arguments& arguments, Context& context, const wbpatch::WideBandCommand& command) {
  context.shell.AllowStandIn(arguments.Flag({"--allow-stand-in"}));
  const auto output = arguments.Value("-o");
  const std::string path = arguments.Operands(1, 1, "one IMAGE").front();
  return ChangeImage(context, path, true, output, [&](clsBINFile& image, std::string& done) {
    // A patch that ends past a short image would be written in part (each byte past the end
    // reported): the command line writes a whole patch or nothing.
    if (const auto version = wbpatch::VersionFor(image.Mask(), image.WBBCC());
        version && static_cast<std::size_t>(image.FileSize()) <= wbpatch::LayoutOf(*version).slots.back().offset) {
      context.shell.Tell("the image ends after " + std::to_string(image.FileSize()) + " bytes, before the " +
                         std::string(wbpatch::VersionName(*version)) + " patch does");
      return kFileError;
    }
    if (!wbpatch::RunWideBandOperation(context.shell, image, command)) {
      // Writing a stand-in is the user's choice to make on the command line.
      if (context.shell.DeclinedStandIn()) {
        context.shell.Tell("not written: the patch table is a stand-in; give --allow-stand-in to write it anyway");
        return kUsageError;
      }
      context.shell.Tell(wbpatch::FailureText(command));
      return kFileError;
    }
    done = wbpatch::SuccessText(command, image.WBBCC());
    return kOk;
  });
}

Status Derive(Arguments& arguments, Context& context) {
  const auto values = arguments.Required({"--stock", "--patched", "--version", "-o"}, "wb derive");
  arguments.Operands(0, 0, "no operands");
  const std::string& stock = values[0];
  const std::string& patched = values[1];
  const std::string& output = values[3];
  const Version version = VersionArgument(values[2]);

  clsBINFile stockImage(context.shell, ReadOnlyFileSystem());
  clsBINFile patchedImage(context.shell, ReadOnlyFileSystem());
  if (Worst(OpenImage(context, stockImage, ReadOnlyFileSystem(), stock),
            OpenImage(context, patchedImage, ReadOnlyFileSystem(), patched)) != kOk)
    return kFileError;
  context.shell.Subject(output);
  std::error_code error;
  if (std::filesystem::equivalent(output, stock, error) || std::filesystem::equivalent(output, patched, error)) {
    context.shell.Tell("not written: it is one of the two images");
    return kFileError;
  }
  try {
    const wbpatch::Table table = wbpatch::DeriveTable(version, stockImage.Bytes(), patchedImage.Bytes());
    const std::string text = wbpatch::FormatTable(
        table, {"Wideband patch table: " + std::string(wbpatch::VersionName(version)) + " (" +
                    std::to_string(table.entries.size()) + " entries)",
                "Derived by " + std::string(kProgram) + " " + std::string(app::kVersionText) + " from",
                "  stock image:   " + stock, "  patched image: " + patched});
    const std::string unflushed = ReplaceFileContents(RealFileSystem(), output, text);
    context.out << output << ": the " << wbpatch::VersionName(version) << " table, " << table.entries.size()
                << " entries\n";
    return Unflushed(context, unflushed);
  } catch (...) {
    return Refused(context);
  }
}

Status Install(Arguments& arguments, Context& context) {
  const auto versionText = arguments.Value("--version");
  const std::string file = arguments.Operands(1, 1, "one TABLE").front();
  std::vector<Version> candidates(std::begin(wbpatch::kVersions), std::end(wbpatch::kVersions));
  if (versionText) candidates = {VersionArgument(*versionText)};
  context.shell.Subject(file);
  std::string reasons;
  for (const Version version : candidates) {
    try {
      const auto installed = wbpatch::InstallTable(version, file, wbpatch::UserTableFolder());
      context.out << file << ": installed as the " << wbpatch::VersionName(version) << " table "
                  << installed.path.string() << '\n';
      return Unflushed(context, installed.unflushed);
    } catch (...) {
      const RuntimeError error = CurrentExceptionAsRuntimeError();
      // Not a table of this version: try the next. Any other failure ends the attempt.
      if (error.Number() != static_cast<int>(ErrorNumber::InvalidFileFormat) || candidates.size() == 1)
        return Refused(context);
      reasons += "\n  as " + std::string(wbpatch::VersionName(version)) + ": " + error.Description();
    }
  }
  context.shell.Tell("not a wideband patch table of any version; nothing was installed" + reasons);
  return kFileError;
}

}  // namespace

Status WideBand(Arguments& arguments, Context& context) {
  const auto action = arguments.Shift();
  if (!action) throw UsageError("wb needs add, remove, derive or install");
  if (*action == "add") return AddOrRemove(arguments, context, wbpatch::kAddCommand);
  if (*action == "remove") return AddOrRemove(arguments, context, wbpatch::kRemoveCommand);
  if (*action == "derive") return Derive(arguments, context);
  if (*action == "install") return Install(arguments, context);
  throw UsageError("wb " + *action + ": expected add, remove, derive or install");
}

}  // namespace vantorix::cli
