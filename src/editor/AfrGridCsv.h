#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/NumberText.h"
#include "bin/clsBINFile.h"
#include "editor/AfrGridLabels.h"

// The target AFR grid as rows of texts, and as the CSV that both the grid window's export
// and `vantorix-cli afr --csv` write: one writer, so a spreadsheet gets the same file from
// either program. No Qt here.
namespace vantorix::afr_grid {

using Rows = std::vector<std::vector<std::string>>;

// As the window shows it: two header rows of temperatures, then one row per RPM point
// with the AFRs of the given modifier tables.
inline Rows GridRows(clsBINFile& image, const std::vector<std::int16_t>& coolant,
                     const std::vector<std::int16_t>& rpm) {
  Rows rows{{"Degrees C"}, {"Degrees F"}};
  for (int c = 1; c <= kCoolantPoints; ++c) {
    rows[0].push_back(CelsiusLabel(c));
    rows[1].push_back(FahrenheitLabel(c));
  }
  for (std::size_t r = 0; r < rpm.size(); ++r) {
    rows.push_back({RpmLabel(static_cast<int>(r) + 1)});
    for (const std::int16_t modifier : coolant)
      rows.back().push_back(number::GeneralText(image.Calculate_PE_AFR(modifier, rpm[r])));
  }
  return rows;
}

// CR LF line ends and no quoting (no text holds a comma or a quote): what every
// spreadsheet reads.
inline std::string Csv(const Rows& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i == 0 ? "" : ",") + row[i];
    text += "\r\n";
  }
  return text;
}

}  // namespace vantorix::afr_grid
