#pragma once

#include <array>
#include <string>

#include "app/NumberText.h"

// The axis labels of the target AFR grid. They are not read from the image: the RPM and
// coolant break points are the same for every $8D and $6E calibration.
namespace vantorix::afr_grid {

inline constexpr int kRpmPoints = 17;
inline constexpr int kCoolantPoints = 9;

inline std::string RpmLabel(int index) { return number::GeneralText((index - 1) * 400.0); }

inline double CelsiusAt(int index) { return -40.0 + 24.0 * (index - 1); }

inline std::string CelsiusLabel(int index) { return number::GeneralText(CelsiusAt(index)); }

// Rounding to 15 digits hides the error of 9 / 5, so -16 gives 3.2 rather than 3.1999999999999993.
inline std::string FahrenheitLabel(int index) { return number::GeneralText(9.0 / 5.0 * CelsiusAt(index) + 32.0); }

}  // namespace vantorix::afr_grid
