// Any bytes as an image file: open it and insert or remove the wideband patch a few times
// in a row. Whatever the image holds, an operation writes exactly the known values of its
// version's table (each offset the image has, once) and nothing else, or, for a mask
// without a version, nothing at all. The last input byte picks the sequence of operations.
#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "CountingShell.h"
#include "FuzzCheck.h"
#include "TempDir.h"
#include "bin/clsBINFile.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::fuzz {
namespace {

void CheckOperation(clsBINFile& image, test::CountingShell& shell, wbpatch::Operation operation) {
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  const bool changedBefore = image.Changed();
  const int reportsBefore = shell.errorReports;
  const bool done = operation == wbpatch::Operation::Insert ? image.AddWBHackToBIN() : image.RemoveWBHackFromBIN();
  const std::vector<std::uint8_t> after(image.Bytes().begin(), image.Bytes().end());

  const auto version = wbpatch::VersionFor(image.Mask(), image.WBBCC());
  if (!version) {
    Check(!done && after == before && image.Changed() == changedBefore, "an image without a version is left alone");
    return;
  }
  Check(done && image.Changed(), "an image with a version is patched and marked changed");
  std::vector<bool> written(after.size(), false);
  int beyondTheEnd = 0;
  for (const auto& entry : wbpatch::BuiltInTables().Load(*version).entries) {
    const auto value = entry.ValueFor(operation);
    if (!value) continue;  // not known: never written, so never refused either
    if (entry.offset >= after.size()) {
      ++beyondTheEnd;
      continue;
    }
    written[entry.offset] = true;
    Check(after[entry.offset] == *value, "a table offset holds its value", std::to_string(entry.offset));
  }
  for (std::size_t k = 0; k < after.size(); ++k)
    if (!written[k]) Check(after[k] == before[k], "a byte outside the table is untouched", std::to_string(k));
  Check(shell.errorReports - reportsBefore == beyondTheEnd, "one report per byte past the end", shell.lastBox);
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorix;
  static const test::TempDir dir(fuzz::MemoryFolder());
  static const std::string path = (dir.Path() / "image.bin").string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  test::CountingShell shell;
  shell.answer = MsgBoxResult::Yes;  // the built-in tables are stand-ins: write them
  wbpatch::BuiltInTables tables;
  wbpatch::WideBandPatch patch(tables);
  clsBINFile image(shell, RealFileSystem(), patch);
  if (!image.OpenBIN(path)) return 0;
  shell.errorReports = 0;
  const std::uint8_t plan = size > 0 ? data[size - 1] : 0;
  for (unsigned step = 0; step <= (plan & 3U); ++step)
    fuzz::CheckOperation(image, shell,
                         (plan >> (2 + step)) & 1U ? wbpatch::Operation::Remove : wbpatch::Operation::Insert);
  return 0;
}
