// Time from program start to the main window being shown, and the memory the window
// program holds with an image and the target AFR grid open. Run it under
// /usr/bin/time -v for the peak resident set size; scripts/bench-window does.
// With --shown it prints only the milliseconds to the shown window and ends there, with
// --grid the milliseconds until an image and its grid are shown, with --chart until an
// image and its chart are: each to be set against bench/bare_window.cpp. The image is the
// file named after --grid or --chart (`--write FILE` writes one), or one written here.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "TempDir.h"
#include "TestImage.h"
#include "WindowSizes.h"
#include "app/VantorixApplication.h"
#include "app/frmMain.h"

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const std::string_view mode = argc > 1 ? argv[1] : "";
  // The image the runs open, written once before them: writing it is no part of an open.
  const auto image = vantorix::test::TestImage(32768, 0x8D).Axxc();
  if (mode == "--write" && argc > 2) return image.WriteTo(argv[2]), 0;
  // The image's version goes into a history of its own, never the user's.
  const vantorix::test::TempDir data;
  qputenv("XDG_DATA_HOME", data.Path().c_str());
  vantorix::VantorixApplication application(argc, argv);
  vantorix::frmMain window(vantorix::InitializeSettings());
  window.show();
  QApplication::processEvents();
  const double shownMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  SayIfSizesDiffer("main window", window.size(), kMainWindowSize);
  SayIfSizesDiffer("child-window area", window.mdiArea().size(), kChildAreaSize);
  SayIfSizesDiffer("log", window.findChild<QWidget*>(QStringLiteral("lstLog"))->size(), kLogListSize);
  SayIfSizesDiffer("log panel", window.findChild<QWidget*>(QStringLiteral("pbLog"))->size(),
                   {kMainWindowSize.width(), kLogPanelHeight});
  SayIfSizesDiffer("paths bar", window.findChild<QWidget*>(QStringLiteral("mssbPaths"))->size(),
                   {kMainWindowSize.width(), kPathsBarHeight});
  SayIfSizesDiffer("status bar", window.findChild<QWidget*>(QStringLiteral("mssbVarious"))->size(),
                   {kMainWindowSize.width(), kVariousBarHeight});
  if (mode == "--shown") {
    std::printf("%.2f\n", shownMs);
    return 0;
  }

  const vantorix::test::TempDir dir;
  const std::string path = argc > 2 ? std::string(argv[2]) : image.WriteTo(dir.Path() / "image.bin").string();
  window.OpenBinaryFile(false, QString::fromStdString(path));
  const bool chart = mode == "--chart";
  chart ? window.mnuAFRChart_Click() : window.mnuAFRs_Click();
  QApplication::processEvents();
  const double gridMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  SayIfSizesDiffer(chart ? "chart window" : "grid window", window.mdiArea().subWindowList().value(0)->size(),
                   chart ? kChartWindowSize : kGridWindowSize);
  if (!chart)
    SayIfSizesDiffer("grid", window.findChild<QWidget*>(QStringLiteral("MSFlexGrid1"))->size(), kGridTableSize);
  if (argc > 1) {
    std::printf("%.2f\n", gridMs);
    return 0;
  }

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("main window shown after %.1f ms; image and AFR grid open after %.1f ms; peak RSS %ld KiB\n", shownMs,
              gridMs, usage.ru_maxrss);
  return window.mdiArea().subWindowList().size() == 1 ? 0 : 1;
}
