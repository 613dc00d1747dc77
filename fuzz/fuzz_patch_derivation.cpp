// A stock image and the same image with the stand-in patch applied, both changed where
// the input says (the first byte picks the version, then each four bytes name an offset,
// a value and which image): derivation either refuses the pair or returns a table that
// the reader accepts, whose every entry holds exactly the two images' bytes, and outside
// of which the two images agree but for the stored checksum.
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "TestImage.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/PatchTable.h"
#include "wbpatch/TableSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorix;
  if (size == 0) return 0;
  const wbpatch::Version version = wbpatch::kVersions[data[0] % 3];
  const wbpatch::Table standIn = wbpatch::BuiltInTables().Load(version);
  test::TestImage seed(32768, version == wbpatch::Version::Mask6E ? 0x6E : 0x8D);
  if (version == wbpatch::Version::Axxc8D) seed.Axxc();
  if (version == wbpatch::Version::Aujp8D) seed.Aujp();
  // The published $8D patch leaves the rest of its routine area at 0x00.
  if (version != wbpatch::Version::Mask6E)
    for (std::size_t offset = 0x2000; offset <= 0x208B; ++offset) seed.Byte(offset, 0x00);
  std::vector<std::uint8_t> stock = seed.Bytes();
  for (const auto& entry : standIn.entries)
    if (entry.removal) stock[entry.offset] = *entry.removal;
  std::vector<std::uint8_t> patched = stock;
  for (const auto& entry : standIn.entries) patched[entry.offset] = *entry.insertion;
  for (std::size_t k = 1; k + 4 <= size; k += 4) {
    const auto offset = static_cast<std::size_t>(data[k] << 8U | data[k + 1]) % stock.size();
    (data[k + 3] & 1U ? patched : stock)[offset] = data[k + 2];
  }

  try {
    const wbpatch::Table table = wbpatch::DeriveTable(version, stock, patched);
    wbpatch::ParseTable(version, wbpatch::FormatTable(table, {}), "derived");
    std::vector<bool> inTable(stock.size(), false);
    for (const auto& entry : table.entries) {
      inTable[entry.offset] = true;
      fuzz::Check(entry.insertion == patched[entry.offset] && entry.removal == stock[entry.offset],
                  "an entry holds the two images' bytes", std::to_string(entry.offset));
    }
    for (std::size_t k = 8; k < stock.size(); ++k)
      fuzz::Check(inTable[k] || stock[k] == patched[k], "the images agree outside the table", std::to_string(k));
  } catch (const RuntimeError& error) {
    fuzz::Check(error.Number() == 5 || error.Number() == 321, "a pair is refused as such", error.Description());
  }
  return 0;
}
