// diff A B: where two images differ, in runs named after the part of the calibration they hit,
// or (--afr) in the target AFRs that follow from their PE tables.
#include <algorithm>
#include <array>
#include <iomanip>
#include <ostream>

#include "cli/Cli.h"
#include "diff/ImageDiff.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "pe/AfrGridLabels.h"
#include "pe/AfrTable.h"

namespace vantorix::cli {

namespace {

// One side of the comparison: an image file, or a version from the history.
struct Side {
  std::vector<std::uint8_t> bytes;
  std::string mask;
};

std::optional<Side> Read(Context& context, const std::string& word, Status& status) {
  if (const auto number = VersionReference(word, false)) {
    context.shell.Subject(word);
    try {
      history::Version version;
      std::vector<std::uint8_t> bytes = VersionBytes(context, *number, &version);
      return Side{std::move(bytes), version.facts.mask};
    } catch (...) {
      context.shell.Tell(CurrentExceptionAsRuntimeError().Description());
      status = kFileError;
      return std::nullopt;
    }
  }
  clsBINFile image(context.shell, ReadOnlyFileSystem());
  status = Worst(status, OpenImage(context, image, ReadOnlyFileSystem(), word));
  if (!image.FileOpened()) return std::nullopt;
  return Side{{image.Bytes().begin(), image.Bytes().end()}, image.Mask()};
}

// "12 34": the bytes of a run as hexadecimal pairs.
std::string HexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + number::HexText(byte, 2);
  return text;
}

Status DiffBytes(Context& context, const std::array<std::string, 2>& names, const Side& a, const Side& b, bool json,
                 Status status) {
  std::size_t differing = 0;
  const auto runs = diff::DifferingRuns(a.bytes, b.bytes, a.mask);
  for (const diff::Run& run : runs) differing += run.length;
  if (json) {
    context.out << "{\"a\": " << Json(names[0]) << ", \"b\": " << Json(names[1]) << ", \"sizes\": [" << a.bytes.size()
                << ", " << b.bytes.size() << "], \"masks\": [" << Json(a.mask) << ", " << Json(b.mask)
                << "], \"runs\": [";
    for (const diff::Run& run : runs)
      context.out << (&run == runs.data() ? "\n  " : ",\n  ") << "{\"offset\": " << run.offset
                  << ", \"length\": " << run.length << ", \"area\": " << Json(run.area)
                  << ", \"a\": " << Json(HexBytes(std::span(a.bytes).subspan(run.offset, run.length)))
                  << ", \"b\": " << Json(HexBytes(std::span(b.bytes).subspan(run.offset, run.length))) << "}";
    context.out << (runs.empty() ? "" : "\n") << "], \"differingBytes\": " << differing << "}\n";
  } else {
    if (a.mask != b.mask) context.out << "masks differ ($" << a.mask << ", $" << b.mask << "): areas are those of A\n";
    for (const diff::Run& run : runs) context.out << diff::RunLine(run, a.bytes, b.bytes) << '\n';
    if (differing == 0)
      context.out << (a.bytes.size() == b.bytes.size() ? "the images are identical\n"
                                                       : "their common bytes are identical\n");
    else
      context.out << differing << " bytes differ, in " << runs.size() << (runs.size() == 1 ? " run\n" : " runs\n");
  }
  return differing == 0 ? status : Worst(status, kCheckFailed);
}

// The target AFRs of both images, each read at its own mask's tables, cell by cell.
Status DiffAfrs(Context& context, const std::array<std::string, 2>& names, const Side& a, const Side& b, bool json,
                Status status) {
  const auto tableA = pe::AfrTableOf(a.bytes, a.mask);
  const auto tableB = pe::AfrTableOf(b.bytes, b.mask);
  if (!tableA || !tableB) {
    context.shell.Tell((tableA ? names[1] + " (mask $" + b.mask : names[0] + " (mask $" + a.mask) +
                       ") holds no PE modifier tables: its target AFRs cannot be compared");
    return kFileError;
  }
  const auto changes = pe::DifferingAfrs(*tableA, *tableB);
  using number::GeneralText;
  const auto change = [](const pe::AfrCellChange& cell) { return number::RoundTwoDecimals(cell.b - cell.a); };
  if (json) {
    context.out << "{\"a\": " << Json(names[0]) << ", \"b\": " << Json(names[1]) << ", \"cells\": [";
    for (const pe::AfrCellChange& cell : changes)
      context.out << (&cell == changes.data() ? "\n  " : ",\n  ") << "{\"rpm\": " << afr_grid::RpmLabel(cell.row + 1)
                  << ", \"celsius\": " << afr_grid::CelsiusLabel(cell.column + 1)
                  << ", \"fahrenheit\": " << afr_grid::FahrenheitLabel(cell.column + 1)
                  << ", \"a\": " << GeneralText(cell.a) << ", \"b\": " << GeneralText(cell.b)
                  << ", \"change\": " << GeneralText(change(cell)) << "}";
    context.out << (changes.empty() ? "" : "\n") << "], \"differingCells\": " << changes.size() << "}\n";
  } else {
    if (!changes.empty()) context.out << "    RPM     C     F    AFR A    AFR B   change\n";
    for (const pe::AfrCellChange& cell : changes)
      context.out << std::setw(7) << afr_grid::RpmLabel(cell.row + 1) << std::setw(6)
                  << afr_grid::CelsiusLabel(cell.column + 1) << std::setw(6)
                  << afr_grid::FahrenheitLabel(cell.column + 1) << std::setw(9) << GeneralText(cell.a) << std::setw(9)
                  << GeneralText(cell.b) << std::setw(9) << (change(cell) > 0 ? "+" : "") + GeneralText(change(cell))
                  << '\n';
    context.out << (changes.empty() ? std::string("the target AFRs are identical")
                                    : std::to_string(changes.size()) + " target AFR" +
                                          (changes.size() == 1 ? " differs" : "s differ"))
                << '\n';
  }
  return changes.empty() ? status : Worst(status, kCheckFailed);
}

}  // namespace

Status Diff(Arguments& arguments, Context& context) {
  const bool afrs = arguments.Flag({"--afr"});
  const bool json = arguments.Flag({"--json"});
  const auto paths = arguments.Operands(2, 2, "two images, A and B");
  Status status = kOk;
  const auto a = Read(context, paths[0], status);
  const auto b = Read(context, paths[1], status);
  if (!a || !b) return kFileError;
  context.shell.Subject("");
  if (!afrs && a->bytes.size() != b->bytes.size()) {
    context.shell.Tell(paths[0] + " has " + std::to_string(a->bytes.size()) + " bytes, " + paths[1] + " has " +
                       std::to_string(b->bytes.size()) + "; only the first " +
                       std::to_string(std::min(a->bytes.size(), b->bytes.size())) + " are compared");
    status = Worst(status, kCheckFailed);
  }
  const std::array<std::string, 2> names{paths[0], paths[1]};
  return afrs ? DiffAfrs(context, names, *a, *b, json, status) : DiffBytes(context, names, *a, *b, json, status);
}

}  // namespace vantorix::cli
