#pragma once

#include <cstddef>

#include "foundation/Shell.h"

namespace vantorix {

// The progress bar moves every this many bytes of a file read or written.
inline constexpr std::size_t kProgressStep = 3000;

// The bar's value after `done` of `total` bytes, computed as the percentage in double
// precision and then held in single precision, as the bar stores it.
inline float ProgressValue(std::size_t done, std::size_t total) {
  return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

// Moves the bar through every step point in (from, to]; no value is reported for the
// last partial step, so the bar shows 100 only when the size is itself a step point
// (48,000 bytes, for one).
inline void ReportProgressSteps(Shell& shell, std::size_t from, std::size_t to, std::size_t total) {
  for (std::size_t k = (from / kProgressStep + 1) * kProgressStep; k <= to; k += kProgressStep)
    shell.SetProgress(ProgressValue(k, total));
}

}  // namespace vantorix
