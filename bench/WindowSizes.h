#pragma once

#include <QSize>

// The sizes the window program's main window, its child-window area, its log and its
// grid and chart windows have when they open here. The bare program shows its window, log,
// table and chart at the same sizes, so that its area has at least the same room and both
// sides paint the same cells (an area smaller than the child clips it and paints fewer);
// vantorix_window_startup says so when its windows open at other sizes.
inline constexpr QSize kMainWindowSize{723, 603};
inline constexpr QSize kChildAreaSize{723, 481};
inline constexpr QSize kLogListSize{714, 49};
inline constexpr QSize kGridWindowSize{714, 467};
inline constexpr QSize kChartWindowSize{586, 432};
