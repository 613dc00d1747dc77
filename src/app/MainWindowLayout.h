#pragma once

#include <array>

// The main window's designed geometry, in twips.
namespace vantorix::main_layout {

inline constexpr int kWindowWidth = 10850;
inline constexpr int kWindowHeight = 9050;
inline constexpr int kPathsBarHeight = 375;
inline constexpr int kProgressBarHeight = 330;
inline constexpr int kLogPanelHeight = 855;
inline constexpr int kLogListLeft = 50;
inline constexpr int kLogListTop = 75;
inline constexpr int kLogListWidth = 10790;
inline constexpr int kLogListHeight = 735;
inline constexpr int kVariousBarHeight = 315;

struct Panel {
  int width;
  int minWidth;
};

inline constexpr Panel kPathPanel{19315, 2540};
inline constexpr std::array<Panel, 7> kVariousPanels{{
    {2646, 2646},
    {2646, 2646},
    {2646, 2646},  // mask, PROM ID, checksum
    {1323, 1323},
    {1323, 1323},
    {1323, 1323},  // Insert, Caps Lock, Num Lock
    {6773, 2540},  // start time
}};

// What a change of the window's outer width W changes, in twips.
struct ResizeResult {
  int pathPanelMinWidth;
  int timePanelMinWidth;
  bool logListResized;  // a window of 199 twips or less leaves the list alone
  int logListWidth;
};

inline constexpr ResizeResult ResizeRules(int windowWidth) {
  const bool wide = windowWidth > 199;
  return {windowWidth - 10, windowWidth - 20, wide, wide ? windowWidth - 200 : 0};
}

}  // namespace vantorix::main_layout
