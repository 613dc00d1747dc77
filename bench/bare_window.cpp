// The yardstick for the window program's start-up: a bare Qt program with the same kinds
// of widgets (main window, MDI area, three menus, a list, a progress bar and two status
// bars) and nothing else. It prints the milliseconds from main() to the shown window and
// ends; scripts/bench-window runs it interleaved with vantorix_window_startup.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  QApplication application(argc, argv);
  QMainWindow window;
  for (const char* title : {"&File", "&Binary", "&Help"}) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(title));
    for (int item = 0; item < 4; ++item) menu->addAction(QStringLiteral("Item %1").arg(item));
  }
  auto* central = new QWidget(&window);
  auto* column = new QVBoxLayout(central);
  auto* paths = new QStatusBar(central);
  paths->showMessage(QStringLiteral("N/A"));
  column->addWidget(paths);
  column->addWidget(new QProgressBar(central));
  column->addWidget(new QMdiArea(central), 1);
  auto* log = new QListWidget(central);
  for (int line = 0; line < 8; ++line) log->addItem(QStringLiteral("12:00:00 PM, start-up line %1").arg(line));
  column->addWidget(log);
  window.setCentralWidget(central);
  window.statusBar()->showMessage(QStringLiteral("N/A"));
  window.resize(800, 600);
  window.show();
  QApplication::processEvents();
  std::printf("%.2f\n", std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  return 0;
}
