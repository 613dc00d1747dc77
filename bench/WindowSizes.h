#pragma once

#include <QPoint>
#include <QSize>
#include <cstdio>

// The sizes the window program's main window, child-window area, log, two status bars and
// grid and chart windows have when they open here. The bare program shows its widgets at
// the same sizes, so that its area has at least the same room and both sides paint the
// same cells (an area smaller than a child clips it and paints fewer); each program says
// so when its widgets come out at other sizes.
inline constexpr QSize kMainWindowSize{723, 603};
inline constexpr QSize kChildAreaSize{723, 481};
inline constexpr int kLogPanelHeight = 57;  // the log lies in a panel of this height, at (3, 5)
inline constexpr QPoint kLogListPlace{3, 5};
inline constexpr QSize kLogListSize{714, 49};
inline constexpr QSize kGridWindowSize{714, 467};
inline constexpr QSize kGridTableSize{647, 346};  // the grid window's table
inline constexpr QSize kChartWindowSize{586, 432};
inline constexpr int kPathsBarHeight = 25;
inline constexpr int kVariousBarHeight = 21;

inline void SayIfSizesDiffer(const char* what, QSize shown, QSize expected) {
  if (shown != expected)
    std::fprintf(stderr, "the %s is %dx%d, bench/WindowSizes.h says %dx%d\n", what, shown.width(), shown.height(),
                 expected.width(), expected.height());
}
