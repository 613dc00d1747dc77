// Any text as an installed wideband patch table, for each version: the reader either
// refuses it with Invalid file format (321) or returns a table that writes back to text
// the reader reads the same again; and the installed-table loader, reading the text from
// its file, agrees with the reader on every text.
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "TempDir.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/TableSource.h"

namespace vantorix::fuzz {
namespace {

// The table the text makes, or none with the refusal's number.
std::optional<wbpatch::Table> Read(const std::function<wbpatch::Table()>& read, int& refusal) {
  try {
    return read();
  } catch (const RuntimeError& error) {
    refusal = error.Number();
  }
  return std::nullopt;
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorix;
  static const test::TempDir folder(fuzz::MemoryFolder());
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const wbpatch::Version version : wbpatch::kVersions) {
    int refusal = 0;
    const auto table = fuzz::Read([&] { return wbpatch::ParseTable(version, text, "fuzz"); }, refusal);
    fuzz::Check(table.has_value() || refusal == 321, "a table that is refused is refused as an invalid format");
    if (table) {
      const std::string written = wbpatch::FormatTable(*table, {"written back"});
      int again = 0;
      const auto reread = fuzz::Read([&] { return wbpatch::ParseTable(version, written, "fuzz"); }, again);
      fuzz::Check(reread && reread->entries == table->entries && reread->standIn == table->standIn,
                  "a table written back reads the same", written);
    }
    std::ofstream(folder.Path() / wbpatch::TableFileName(version), std::ios::binary | std::ios::trunc) << text;
    int loadRefusal = 0;
    const auto loaded = fuzz::Read([&] { return wbpatch::InstalledTables(folder.Path()).Load(version); }, loadRefusal);
    fuzz::Check(loaded.has_value() == table.has_value() && loadRefusal == refusal &&
                    (!loaded || loaded->entries == table->entries),
                "the installed table is the table its text makes");
  }
  return 0;
}
