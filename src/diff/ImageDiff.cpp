#include "diff/ImageDiff.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "bin/BroadcastCode.h"
#include "foundation/NumberText.h"
#include "pe/PeModel.h"
#include "wbpatch/PatchLayout.h"

namespace vantorix::diff {

namespace {

constexpr std::size_t kBytesShown = 8;  // a run this short shows its bytes

bool Within(std::size_t offset, std::int16_t firstPosition, std::int16_t lastPosition) {
  return firstPosition > 0 && offset + 1 >= static_cast<std::size_t>(firstPosition) &&
         offset + 1 <= static_cast<std::size_t>(lastPosition);
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + number::HexText(byte, 2);
  return text;
}

}  // namespace

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

std::vector<Run> DifferingRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                               const std::string& mask) {
  std::vector<Run> runs;
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t offset = 0; offset < common;) {
    if (a[offset] == b[offset]) {
      ++offset;
      continue;
    }
    std::string area = AreaOf(offset, mask);
    std::size_t end = offset + 1;
    while (end < common && a[end] != b[end] && AreaOf(end, mask) == area) ++end;
    runs.push_back({offset, end - offset, std::move(area)});
    offset = end;
  }
  return runs;
}

std::string RunLine(const Run& run, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  std::string where = "0x" + number::HexText(static_cast<std::uint32_t>(run.offset), 4);
  if (run.length > 1) where += "-0x" + number::HexText(static_cast<std::uint32_t>(run.offset + run.length - 1), 4);
  std::ostringstream line;
  line << std::left << std::setw(15) << where << std::right << std::setw(5) << run.length
       << (run.length == 1 ? " byte   " : " bytes  ") << run.area;
  if (run.length <= kBytesShown)
    line << ": " << HexBytes(a.subspan(run.offset, run.length)) << " -> "
         << HexBytes(b.subspan(run.offset, run.length));
  return line.str();
}

std::size_t DifferingBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t differing = std::max(a.size(), b.size()) - common;
  for (std::size_t offset = 0; offset < common; ++offset) differing += a[offset] != b[offset] ? 1U : 0U;
  return differing;
}

}  // namespace vantorix::diff
