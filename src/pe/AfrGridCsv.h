#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bin/clsBINFile.h"
#include "foundation/NumberText.h"
#include "pe/AfrGridLabels.h"

// The target AFR grid as rows of texts, and as the CSV that both the grid window's export
// and `vantorix-cli afr --csv` write: one writer, so a spreadsheet gets the same file from
// either program. No Qt here.
namespace vantorix::afr_grid {

using Rows = std::vector<std::vector<std::string>>;

// As the window shows it: two header rows of temperatures, then one row per RPM point
// with the AFRs of the given modifier tables.
Rows GridRows(clsBINFile& image, const std::vector<std::int16_t>& coolant, const std::vector<std::int16_t>& rpm);

// CR LF line ends and no quoting (no text holds a comma or a quote): what every
// spreadsheet reads.
std::string Csv(const Rows& rows);

}  // namespace vantorix::afr_grid
