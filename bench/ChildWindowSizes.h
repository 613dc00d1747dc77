#pragma once

#include <QSize>

// The sizes the grid and the chart windows open at in the window program. The bare
// program shows its table and its chart at the same sizes, so that both sides paint the
// same area; vantorix_window_startup says so when its windows open at other sizes.
inline constexpr QSize kGridWindowSize{714, 467};
inline constexpr QSize kChartWindowSize{586, 432};
