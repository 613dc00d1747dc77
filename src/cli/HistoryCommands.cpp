// history [IMAGE] | history show | history restore | history prune: the versions the
// history keeps, read back.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <ostream>

#include "cli/Cli.h"
#include "foundation/RuntimeError.h"

namespace vantorix::cli {

namespace {

using history::Version;

// "$8D", or "-" for bytes too short to hold a mask.
std::string MaskText(const history::Facts& facts) { return facts.mask.empty() ? "-" : "$" + facts.mask; }

std::string ChangedText(const Version& version) {
  if (!version.differing) return "first seen";
  if (*version.differing == 0) return "no change";
  return std::to_string(*version.differing) + (*version.differing == 1 ? " byte" : " bytes");
}

void PrintText(std::ostream& out, const std::vector<Version>& versions, bool withPath) {
  out << "VERSION  TIME (UTC)           EVENT                 SIZE  MASK  PROM ID  CHECKSUM  CHANGED"
      << (withPath ? "        PATH\n" : "\n");
  for (const Version& v : versions) {
    std::string time = v.time;
    std::replace(time.begin(), time.end(), 'T', ' ');
    if (!time.empty() && time.back() == 'Z') time.pop_back();
    out << std::right << std::setw(7) << v.number << "  " << std::left << std::setw(19) << time << "  " << std::setw(18)
        << v.event << std::right << std::setw(8) << v.facts.size << "  " << std::left << std::setw(4)
        << MaskText(v.facts) << std::right << std::setw(9) << v.facts.promId << "  " << std::left << std::setw(8)
        << v.facts.storedChecksum << "  ";
    if (withPath)
      out << std::setw(13) << ChangedText(v) << "  " << v.path << '\n';
    else
      out << ChangedText(v) << '\n';
  }
}

void PrintJson(std::ostream& out, const std::vector<Version>& versions) {
  out << "[";
  for (const Version& v : versions) {
    out << (&v == versions.data() ? "\n  " : ",\n  ") << "{\"version\": " << v.number << ", \"time\": " << Json(v.time)
        << ", \"event\": " << Json(v.event) << ", \"path\": " << Json(v.path) << ", \"size\": " << v.facts.size
        << ", \"mask\": " << Json(v.facts.mask)
        << ", \"promId\": " << (v.facts.promId.empty() ? "null" : v.facts.promId)
        << ", \"storedChecksum\": " << Json(v.facts.storedChecksum) << ", \"content\": " << Json(v.content)
        << ", \"differingBytes\": " << (v.differing ? std::to_string(*v.differing) : "null") << "}";
  }
  out << (versions.empty() ? "]\n" : "\n]\n");
}

Status List(Arguments& arguments, Context& context, const std::optional<std::string>& first) {
  const bool json = arguments.Flag({"--json"});
  const auto operands = arguments.Operands(0, first ? 0 : 1, "at most one IMAGE");
  const std::string image = first ? *first : operands.empty() ? "" : operands.front();
  if (!image.empty()) context.shell.Subject(image);
  std::vector<Version> versions;
  context.history.Read([&](history::Store* store) {
    if (store != nullptr) versions = store->Versions(image.empty() ? "" : history::AbsolutePath(image));
  });
  if (json)
    PrintJson(context.out, versions);
  else if (versions.empty())
    context.out << (image.empty() ? "No version has been recorded yet.\n" : image + ": no version recorded\n");
  else
    PrintText(context.out, versions, image.empty());
  return kOk;
}

// Nothing the history holds is ever written over an existing file: that file would be
// lost without a trace. Putting a version back over an image is what restore is for.
Status Show(Arguments& arguments, Context& context) {
  const auto output = arguments.Value("-o");
  const std::int64_t number = *VersionReference(arguments.Operands(1, 1, "one VERSION").front(), true);
  if (!output && ::isatty(STDOUT_FILENO))
    throw UsageError("the bytes of an image are not for a terminal: give -o FILE or redirect the output");
  const std::vector<std::uint8_t> bytes = VersionBytes(context, number);
  if (!output) {
    context.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return kOk;
  }
  context.shell.Subject(*output);
  RefuseExisting(*output, "put a version back over an image with history restore");
  const std::string unflushed = ReplaceFileContents(RealFileSystem(), *output, bytes);
  context.out << *output << ": version " << number << ", " << bytes.size() << " bytes\n";
  return Unflushed(context, unflushed);
}

Status Restore(Arguments& arguments, Context& context) {
  const bool force = arguments.Flag({"--force"});
  const auto operands = arguments.Operands(2, 2, "IMAGE and VERSION");
  const std::string& path = operands[0];
  const std::int64_t number = *VersionReference(operands[1], true);
  context.shell.Subject(path);
  if (!context.history.On())
    throw RuntimeError(ErrorNumber::PermissionDenied,
                       "not restored: VANTORIX_NO_HISTORY turns the history off, and a restore first keeps the "
                       "contents it replaces there");
  history::Version version;
  const std::vector<std::uint8_t> bytes = VersionBytes(context, number, &version);
  // Locked as the window program locks an image: a file another program holds is refused.
  const auto file = RealFileSystem().OpenReadWrite(path);
  std::vector<std::uint8_t> current(file->Length());
  current.resize(file->ReadAt(0, current));
  if (current == bytes) {
    context.out << path << ": already holds version " << number << "; nothing was written.\n";
    return kOk;
  }
  // A version of another file, even of another calibration, would be burnt as this one's.
  const history::Facts facts = IdentityOf(current);
  if (!force && (version.path != history::AbsolutePath(path) || version.facts.mask != facts.mask ||
                 version.facts.size != facts.size)) {
    context.shell.Tell("not restored: version " + std::to_string(number) + " was recorded for " + version.path +
                       ", mask " + MaskText(version.facts) + ", PROM ID " +
                       (version.facts.promId.empty() ? "-" : version.facts.promId) + ", " +
                       std::to_string(version.facts.size) + " bytes; this file has mask " + MaskText(facts) + ", " +
                       std::to_string(facts.size) + " bytes. Give --force to restore it all the same");
    return kUsageError;
  }
  std::int64_t kept = 0;
  try {
    kept = context.history.RecordOrThrow(history::Event::BackedUp, path, current);
  } catch (...) {
    throw RuntimeError(ErrorNumber::PathFileAccessError,
                       "not restored, because the history could not keep the contents it would replace: " +
                           CurrentExceptionAsRuntimeError().Description());
  }
  file->CheckUnchanged();
  const auto contents = file->Replace();
  contents->WriteAt(0, bytes);
  const std::string unflushed = contents->Commit();
  context.history.Record(history::Event::Restored, path, bytes);
  context.out << path << ": version " << number << " restored (" << bytes.size() << " bytes, stored checksum "
              << version.facts.storedChecksum << "); the contents it replaced are version " << kept << ".\n";
  return Unflushed(context, unflushed);
}

Status Prune(Arguments& arguments, Context& context) {
  const auto days = arguments.Value("--keep-days");
  arguments.Operands(0, 0, "no operands");
  if (!days || days->empty() || days->size() > 6 || !std::ranges::all_of(*days, [](char c) { return std::isdigit(c); }))
    throw UsageError("history prune needs --keep-days N, a whole number of days");
  const auto cutoff = history::Clock::now() - std::chrono::hours(24) * std::stoi(*days);
  std::optional<history::Store::Counts> dropped, kept;
  context.history.Read([&](history::Store* store) {
    if (store == nullptr) return;
    dropped = store->Prune(cutoff);
    kept = store->Count();
  });
  if (!dropped) {
    context.out << "No version has been recorded yet.\n";
    return kOk;
  }
  context.out << "Dropped " << dropped->versions << " versions recorded before " << history::UtcText(cutoff) << " and "
              << dropped->contents << " contents no version needs; " << kept->versions << " versions of "
              << kept->contents << " contents are kept.\n";
  return kOk;
}

}  // namespace

std::optional<std::int64_t> VersionReference(const std::string& word, bool plainNumberToo) {
  const bool marked = word.starts_with('@');
  if (!marked && !plainNumberToo) return std::nullopt;
  const std::string digits = marked ? word.substr(1) : word;
  if (digits.empty() || digits.size() > 18 || !std::ranges::all_of(digits, [](char c) { return std::isdigit(c); }))
    throw UsageError(word + ": a VERSION is a number from the history list, such as 12 or @12");
  return std::stoll(digits);
}

std::vector<std::uint8_t> VersionBytes(Context& context, std::int64_t number, history::Version* version) {
  std::optional<history::Version> found;
  std::vector<std::uint8_t> bytes;
  context.history.Read([&](history::Store* store) {
    found = store != nullptr ? store->Find(number) : std::nullopt;
    if (found) bytes = store->Bytes(found->content);
  });
  if (!found)
    throw RuntimeError(ErrorNumber::InvalidProcedureCall, "no version " + std::to_string(number) + " in the history");
  if (version != nullptr) *version = *found;
  return bytes;
}

Status History(Arguments& arguments, Context& context) {
  const auto first = arguments.Shift();
  try {
    if (first == "show") return Show(arguments, context);
    if (first == "restore") return Restore(arguments, context);
    if (first == "prune") return Prune(arguments, context);
    return List(arguments, context, first);
  } catch (const UsageError&) {
    throw;
  } catch (...) {
    context.shell.Tell(CurrentExceptionAsRuntimeError().Description());
    return kFileError;
  }
}

}  // namespace vantorix::cli
