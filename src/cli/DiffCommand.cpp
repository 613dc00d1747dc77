// diff A B: where two images differ, in runs named after the part of the calibration they hit.
#include <algorithm>
#include <iomanip>
#include <ostream>

#include "app/NumberText.h"
#include "cli/Cli.h"
#include "pe/PeModel.h"
#include "wbpatch/BroadcastCode.h"
#include "wbpatch/PatchLayout.h"

namespace vantorix::cli {

namespace {

constexpr std::size_t kBytesShown = 8;  // a run this short shows its bytes

bool Within(std::size_t offset, std::int16_t firstPosition, std::int16_t lastPosition) {
  return firstPosition > 0 && offset + 1 >= static_cast<std::size_t>(firstPosition) &&
         offset + 1 <= static_cast<std::size_t>(lastPosition);
}

// The part of an image of the given mask that holds the byte at the offset.
std::string AreaOf(std::size_t offset, const std::string& mask) {
  if (offset <= 0x0001) return "identity: PROM ID";
  if (offset == 0x0006 || offset == 0x0007) return "checksum";
  if (offset == 0x0008) return "identity: mask";
  if ((mask == "8D" && offset == 0x0018) || (mask == "6E" && offset == 0x0249)) return "identity: transmission flag";
  if (mask == "8D")
    for (const auto& identification : bcc::kAxxcIdentification)
      if (offset + 1 == static_cast<std::size_t>(identification.position)) return "identity: broadcast code";
  if (Within(offset, pe::TablePosition(mask, pe::FirstCoolant), pe::TablePosition(mask, pe::LastCoolant)))
    return "PE coolant modifiers";
  if (Within(offset, pe::TablePosition(mask, pe::FirstRpm), pe::TablePosition(mask, pe::LastRpm)))
    return "PE RPM modifiers";
  for (const wbpatch::Version version : wbpatch::kVersions) {
    const wbpatch::Layout& layout = wbpatch::LayoutOf(version);
    if (number::HexText(layout.mask) != mask || offset > 0xFFFF) continue;
    const auto at = static_cast<std::uint16_t>(offset);
    if (const wbpatch::Slot* slot = layout.Find(at)) return "wideband patch: " + std::string(slot->part);
    if (std::ranges::find(layout.zeroWhenPatched, at) != layout.zeroWhenPatched.end())
      return "wideband patch: byte it leaves alone";
  }
  return "other";
}

std::string Bytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + number::HexText(byte, 2);
  return text;
}

}  // namespace

Status Diff(Arguments& arguments, Context& context) {
  const auto paths = arguments.Operands(2, 2, "two images, A and B");
  clsBINFile a(context.shell, ReadOnlyFileSystem());
  clsBINFile b(context.shell, ReadOnlyFileSystem());
  const Status opened = Worst(OpenImage(context, a, ReadOnlyFileSystem(), paths[0]),
                              OpenImage(context, b, ReadOnlyFileSystem(), paths[1]));
  if (!a.FileOpened() || !b.FileOpened()) return kFileError;
  context.shell.Subject("");
  Status status = opened;
  const auto bytesA = a.Bytes();
  const auto bytesB = b.Bytes();
  if (bytesA.size() != bytesB.size()) {
    context.shell.Tell(paths[0] + " has " + std::to_string(bytesA.size()) + " bytes, " + paths[1] + " has " +
                       std::to_string(bytesB.size()) + "; only the first " +
                       std::to_string(std::min(bytesA.size(), bytesB.size())) + " are compared");
    status = Worst(status, kCheckFailed);
  }
  const std::string mask = a.Mask();
  if (mask != b.Mask()) context.out << "masks differ ($" << mask << ", $" << b.Mask() << "): areas are those of A\n";

  std::size_t differing = 0;
  std::size_t runs = 0;
  const std::size_t common = std::min(bytesA.size(), bytesB.size());
  for (std::size_t offset = 0; offset < common;) {
    if (bytesA[offset] == bytesB[offset]) {
      ++offset;
      continue;
    }
    // A run: differing bytes next to each other in the same area.
    const std::string area = AreaOf(offset, mask);
    std::size_t end = offset + 1;
    while (end < common && bytesA[end] != bytesB[end] && AreaOf(end, mask) == area) ++end;
    const std::size_t length = end - offset;
    std::string where = "0x" + number::HexText(static_cast<std::uint32_t>(offset), 4);
    if (length > 1) where += "-0x" + number::HexText(static_cast<std::uint32_t>(end - 1), 4);
    context.out << std::left << std::setw(15) << where << std::right << std::setw(5) << length
                << (length == 1 ? " byte   " : " bytes  ") << area;
    if (length <= kBytesShown)
      context.out << ": " << Bytes(bytesA.subspan(offset, length)) << " -> " << Bytes(bytesB.subspan(offset, length));
    context.out << '\n';
    differing += length;
    ++runs;
    offset = end;
  }
  if (differing == 0)
    context.out << (bytesA.size() == bytesB.size() ? "the images are identical\n"
                                                   : "their common bytes are identical\n");
  else
    context.out << differing << " bytes differ, in " << runs << (runs == 1 ? " run\n" : " runs\n");
  return differing == 0 ? status : Worst(status, kCheckFailed);
}

}  // namespace vantorix::cli
