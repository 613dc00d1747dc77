#include <algorithm>
#include <string>
#include <utility>

#include "bin/BroadcastCode.h"
#include "foundation/RuntimeError.h"
#include "wbpatch/PatchLayout.h"
#include "wbpatch/PatchTable.h"

namespace vantorix::wbpatch {

namespace {

constexpr std::size_t kMaskOffset = 0x0008;
// The stored checksum differs between any two images that differ at all.
constexpr std::size_t kChecksumFirst = 0x0006;
constexpr std::size_t kChecksumLast = 0x0007;

bool IsAxxc(std::span<const std::uint8_t> image) {
  for (const auto& identification : bcc::kAxxcIdentification) {
    const auto offset = static_cast<std::size_t>(identification.position) - 1;
    if (std::to_string(image[offset]) != identification.axxcValue) return false;
  }
  return true;
}

}  // namespace

Table DeriveTable(Version version, std::span<const std::uint8_t> stock, std::span<const std::uint8_t> patched) {
  const Layout& layout = LayoutOf(version);
  const std::string name(VersionName(version));
  const auto refuse = [&](const std::string& why) {
    throw RuntimeError(ErrorNumber::InvalidProcedureCall, "cannot derive the " + name + " table: " + why);
  };

  if (stock.size() != patched.size())
    refuse("the stock image has " + std::to_string(stock.size()) + " bytes, the patched image " +
           std::to_string(patched.size()));
  std::size_t reach = layout.slots.back().offset;
  if (version != Version::Mask6E)  // the broadcast code is told from bytes beyond the patch
    reach = std::max(reach, static_cast<std::size_t>(bcc::kAxxcIdentification.back().position) - 1);
  if (stock.size() <= reach)
    refuse("the images have " + std::to_string(stock.size()) + " bytes, too few to hold offset " +
           Hex(static_cast<unsigned>(reach), 4));
  for (const auto& [image, which] : {std::pair{stock, "stock"}, std::pair{patched, "patched"}})
    if (image[kMaskOffset] != layout.mask)
      refuse(std::string("the ") + which + " image has mask $" + Hex(image[kMaskOffset], 2).substr(2) +
             "; this patch is for $" + Hex(layout.mask, 2).substr(2) + " images");
  if (version != Version::Mask6E && IsAxxc(stock) != (version == Version::Axxc8D))
    refuse(std::string("the images are of broadcast code ") + (IsAxxc(stock) ? "AXXC" : "AUJP"));

  std::size_t strays = 0;
  std::size_t firstStray = 0;
  for (std::size_t offset = 0; offset < stock.size(); ++offset) {
    if (stock[offset] == patched[offset] || (offset >= kChecksumFirst && offset <= kChecksumLast)) continue;
    if (offset <= 0xFFFF && layout.Find(static_cast<std::uint16_t>(offset)) != nullptr) continue;
    if (strays++ == 0) firstStray = offset;
  }
  if (strays > 0)
    refuse("the images differ at " + Hex(static_cast<unsigned>(firstStray), 4) +
           (strays > 1 ? " and " + std::to_string(strays - 1) + " more offsets" : std::string()) +
           ", where the patch writes nothing; the patched image must be this stock image with only the patch "
           "applied");
  for (const std::uint16_t offset : layout.zeroWhenPatched)
    if (patched[offset] != 0x00)
      refuse("the patched image holds " + Hex(patched[offset], 2) + " at " + Hex(offset, 4) +
             ", which the patch leaves at 0x00");

  Table table{version, {}, "derived"};
  for (const Slot& slot : layout.slots) {
    const std::uint8_t inserted = patched[slot.offset];
    const std::uint8_t removed = stock[slot.offset];
    if (!slot.insertion.Allows(inserted))
      refuse("the patched image holds " + Hex(inserted, 2) + " at " + Hex(slot.offset, 4) + " (" +
             std::string(slot.part) + "), where the patch has " + slot.insertion.Expectation());
    if (!slot.removal.Allows(removed))
      refuse("the stock image holds " + Hex(removed, 2) + " at " + Hex(slot.offset, 4) + " (" + std::string(slot.part) +
             "), where an unpatched image has " + slot.removal.Expectation());
    table.entries.push_back({slot.offset, inserted, removed});
  }
  if (const auto fill = layout.RepeatedRemoval(table.entries))
    refuse("the stock image holds " + Hex(*fill, 2) + " at every offset of " + VariedRange(layout) +
           ", where an unpatched image holds varied bytes");
  return table;
}

}  // namespace vantorix::wbpatch
