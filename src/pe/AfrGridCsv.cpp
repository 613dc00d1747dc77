#include "pe/AfrGridCsv.h"

#include "foundation/NumberText.h"

namespace vantorix::afr_grid {

Rows GridRows(clsBINFile& image, const std::vector<std::int16_t>& coolant, const std::vector<std::int16_t>& rpm) {
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

std::string Csv(const Rows& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i == 0 ? "" : ",") + row[i];
    text += "\r\n";
  }
  return text;
}

}  // namespace vantorix::afr_grid
