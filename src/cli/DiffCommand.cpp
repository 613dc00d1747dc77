// diff A B: where two images differ, in runs named after the part of the calibration they hit.
#include <algorithm>
#include <ostream>

#include "cli/Cli.h"
#include "diff/ImageDiff.h"
#include "foundation/RuntimeError.h"

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

}  // namespace

Status Diff(Arguments& arguments, Context& context) {
  const auto paths = arguments.Operands(2, 2, "two images, A and B");
  Status status = kOk;
  const auto a = Read(context, paths[0], status);
  const auto b = Read(context, paths[1], status);
  if (!a || !b) return kFileError;
  context.shell.Subject("");
  if (a->bytes.size() != b->bytes.size()) {
    context.shell.Tell(paths[0] + " has " + std::to_string(a->bytes.size()) + " bytes, " + paths[1] + " has " +
                       std::to_string(b->bytes.size()) + "; only the first " +
                       std::to_string(std::min(a->bytes.size(), b->bytes.size())) + " are compared");
    status = Worst(status, kCheckFailed);
  }
  if (a->mask != b->mask)
    context.out << "masks differ ($" << a->mask << ", $" << b->mask << "): areas are those of A\n";

  std::size_t differing = 0;
  const auto runs = diff::DifferingRuns(a->bytes, b->bytes, a->mask);
  for (const diff::Run& run : runs) {
    context.out << diff::RunLine(run, a->bytes, b->bytes) << '\n';
    differing += run.length;
  }
  if (differing == 0)
    context.out << (a->bytes.size() == b->bytes.size() ? "the images are identical\n"
                                                       : "their common bytes are identical\n");
  else
    context.out << differing << " bytes differ, in " << runs.size() << (runs.size() == 1 ? " run\n" : " runs\n");
  return differing == 0 ? status : Worst(status, kCheckFailed);
}

}  // namespace vantorix::cli
