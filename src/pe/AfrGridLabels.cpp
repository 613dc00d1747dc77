#include "pe/AfrGridLabels.h"

#include "foundation/NumberText.h"

namespace vantorix::afr_grid {

std::string RpmLabel(int index) { return number::GeneralText((index - 1) * 400.0); }

double CelsiusAt(int index) { return -40.0 + 24.0 * (index - 1); }

std::string CelsiusLabel(int index) { return number::GeneralText(CelsiusAt(index)); }

std::string FahrenheitLabel(int index) { return number::GeneralText(9.0 / 5.0 * CelsiusAt(index) + 32.0); }

}  // namespace vantorix::afr_grid
