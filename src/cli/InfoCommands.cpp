// The commands that look at images without changing them, and checksum --fix.
#include <optional>
#include <ostream>

#include "cli/Cli.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/TableSource.h"

namespace vantorix::cli {

std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\')
      quoted += {'\\', c};
    else if (static_cast<unsigned char>(c) < 0x20)
      quoted += "\\u00" + number::HexText(static_cast<unsigned char>(c), 2);
    else
      quoted += c;
  }
  return quoted + "\"";
}

namespace {

struct PatchFacts {
  wbpatch::Version version;
  std::string table;  // TableName
  bool standIn;
  wbpatch::PatchState state;
};

// The patch state against the table the window program would use; none for a mask
// without a patch. A table that cannot be had is reported and counts as a file error.
std::optional<PatchFacts> PatchOf(Context& context, clsBINFile& image, Status& status) {
  const auto version = wbpatch::VersionFor(image.Mask(), image.WBBCC());
  if (!version) return std::nullopt;
  try {
    const wbpatch::Table table = wbpatch::UserTables().Load(*version);
    return PatchFacts{*version, wbpatch::TableName(table), table.standIn, wbpatch::PatchStateOf(table, image.Bytes())};
  } catch (...) {
    context.shell.Tell("the wideband patch table cannot be used: " + CurrentExceptionAsRuntimeError().Description());
    status = kFileError;
    return std::nullopt;
  }
}

void PrintText(std::ostream& out, clsBINFile& image, const std::optional<PatchFacts>& patch) {
  const std::string stored = image.Checksum();
  const std::string computed = FourDigits(image.CalculateCSUM());
  const std::string transmission = image.Transmission();
  out << image.FilePath() << "\n  size: " << image.FileSize() << " bytes\n  mask: $" << image.Mask()
      << "\n  PROM ID: " << image.PROMID() << "\n  transmission: " << (transmission.empty() ? "-" : transmission)
      << "\n  BCC: " << image.WBBCC() << "\n  stored checksum: " << stored << "\n  computed checksum: " << computed
      << (stored == computed ? " (agrees)" : " (DOES NOT AGREE)") << "\n  wideband patch: ";
  if (!patch) {
    out << "none for this image\n";
    return;
  }
  out << wbpatch::PatchStateText(patch->version, patch->state) << "\n  patch table: " << patch->table << '\n';
}

void PrintJson(std::ostream& out, clsBINFile& image, const std::optional<PatchFacts>& patch) {
  const std::string stored = image.Checksum();
  const std::string computed = FourDigits(image.CalculateCSUM());
  out << "{\"path\": " << Json(image.FilePath()) << ", \"size\": " << image.FileSize()
      << ", \"mask\": " << Json(image.Mask()) << ", \"promId\": " << image.PROMID()
      << ", \"transmission\": " << Json(image.Transmission()) << ", \"bcc\": " << Json(image.WBBCC())
      << ", \"storedChecksum\": " << Json(stored) << ", \"computedChecksum\": " << Json(computed)
      << ", \"checksumAgrees\": " << (stored == computed ? "true" : "false") << ", \"widebandPatch\": ";
  if (!patch) {
    out << "null}";
    return;
  }
  const auto& s = patch->state;
  out << "{\"version\": " << Json(std::string(wbpatch::VersionName(patch->version)))
      << ", \"table\": " << Json(patch->table) << ", \"standIn\": " << (patch->standIn ? "true" : "false")
      << ", \"state\": " << Json(std::string(wbpatch::PatchStateName(s))) << ", \"tellingEntries\": " << s.telling
      << ", \"patchedEntries\": " << s.patched << ", \"unpatchedEntries\": " << s.unpatched << "}}";
}

}  // namespace

std::string FourDigits(const std::string& hexText) {
  return hexText.empty() ? hexText : number::HexText(static_cast<std::uint32_t>(number::ParseHexLong(hexText)), 4);
}

Status Info(Arguments& arguments, Context& context) {
  const bool json = arguments.Flag({"--json"});
  Status worst = kOk;
  std::size_t shown = 0;
  if (json) context.out << "[";
  for (const std::string& path : arguments.Operands(1, SIZE_MAX, "IMAGE")) {
    clsBINFile image(context.shell, ReadOnlyFileSystem());
    Status status = OpenImage(context, image, ReadOnlyFileSystem(), path);
    if (image.FileOpened()) {
      const auto patch = PatchOf(context, image, status);
      if (json)
        context.out << (shown == 0 ? "\n  " : ",\n  ");
      else if (shown > 0)
        context.out << '\n';
      (json ? PrintJson : PrintText)(context.out, image, patch);
      ++shown;
    }
    worst = Worst(worst, status);
  }
  if (json) context.out << (shown == 0 ? "]\n" : "\n]\n");
  return worst;
}

Status Checksum(Arguments& arguments, Context& context) {
  const bool fix = arguments.Flag({"--fix"});
  const auto output = arguments.Value("-o");
  if (output && !fix) throw UsageError("-o " + *output + ": only --fix writes an image");
  Status worst = kOk;
  for (const std::string& path : arguments.Operands(1, output ? 1 : SIZE_MAX, output ? "one IMAGE with -o" : "IMAGE")) {
    Status status = kOk;
    std::string stored;
    std::string computed;
    {
      clsBINFile image(context.shell, ReadOnlyFileSystem());
      status = OpenImage(context, image, ReadOnlyFileSystem(), path);
      if (!image.FileOpened()) {
        worst = Worst(worst, status);
        continue;
      }
      stored = image.Checksum();
      computed = FourDigits(image.CalculateCSUM());
    }  // closed here: a fix opens the file again, for writing
    if (stored == computed) {
      context.out << path << ": checksum " << stored << " agrees" << (output ? "; " + *output + " was not written" : "")
                  << '\n';
    } else if (!fix) {
      context.out << path << ": checksum MISMATCH: stored " << stored << ", computed " << computed << '\n';
      status = Worst(status, kCheckFailed);
    } else {
      status = Worst(status, ChangeImage(context, path, false, output, [](clsBINFile& image, std::string& done) {
                       done = "checksum " + image.Checksum() + " replaced by " + FourDigits(image.CalculateCSUM());
                       image.CheckSum(image.CalculateCSUM());
                       return kOk;
                     }));
    }
    worst = Worst(worst, status);
  }
  return worst;
}

}  // namespace vantorix::cli
