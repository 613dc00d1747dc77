#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "pe/AfrGridLabels.h"

namespace vantorix::pe {

// The 17 x 9 target AFRs of an image: [RPM row][coolant column], both from 0, as the grid
// shows them (two decimals).
using AfrTable = std::array<std::array<double, afr_grid::kCoolantPoints>, afr_grid::kRpmPoints>;

// The table that modifier tables command (9 coolant and 17 RPM entries).
AfrTable AfrTableFrom(const std::vector<std::int16_t>& coolant, const std::vector<std::int16_t>& rpm);

// The table of an image's bytes; none for a mask without PE tables or bytes too short to
// hold them.
std::optional<AfrTable> AfrTableOf(std::span<const std::uint8_t> bytes, std::string_view mask);

// One cell whose AFR differs between two tables.
struct AfrCellChange {
  int row;     // 0..16: RPM (row * 400)
  int column;  // 0..8: coolant temperature
  double a;
  double b;
  friend bool operator==(const AfrCellChange&, const AfrCellChange&) = default;
};

// The cells that differ, row by row.
std::vector<AfrCellChange> DifferingAfrs(const AfrTable& a, const AfrTable& b);

}  // namespace vantorix::pe
