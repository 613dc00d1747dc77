#include "pe/AfrTable.h"

#include "pe/PeModel.h"

namespace vantorix::pe {

AfrTable AfrTableFrom(const std::vector<std::int16_t>& coolant, const std::vector<std::int16_t>& rpm) {
  AfrTable table{};
  for (std::size_t r = 0; r < table.size() && r < rpm.size(); ++r)
    for (std::size_t c = 0; c < table[r].size() && c < coolant.size(); ++c) table[r][c] = TargetAfr(coolant[c], rpm[r]);
  return table;
}

std::optional<AfrTable> AfrTableOf(std::span<const std::uint8_t> bytes, std::string_view mask) {
  const std::int16_t first = TablePosition(mask, FirstCoolant);
  const std::int16_t last = TablePosition(mask, LastRpm);
  if (first == 0 || static_cast<std::size_t>(last) > bytes.size()) return std::nullopt;
  // Positions count from 1; the RPM table follows the coolant table directly.
  const auto at = [&](std::int32_t position) {
    return static_cast<std::int16_t>(bytes[static_cast<std::size_t>(position - 1)]);
  };
  std::vector<std::int16_t> coolant, rpm;
  for (std::int32_t k = 0; k < kCoolantEntries; ++k) coolant.push_back(at(first + k));
  for (std::int32_t k = 0; k < kRpmEntries; ++k) rpm.push_back(at(first + kCoolantEntries + k));
  return AfrTableFrom(coolant, rpm);
}

std::vector<AfrCellChange> DifferingAfrs(const AfrTable& a, const AfrTable& b) {
  std::vector<AfrCellChange> changes;
  for (std::size_t r = 0; r < a.size(); ++r)
    for (std::size_t c = 0; c < a[r].size(); ++c)
      if (a[r][c] != b[r][c]) changes.push_back({static_cast<int>(r), static_cast<int>(c), a[r][c], b[r][c]});
  return changes;
}

}  // namespace vantorix::pe
