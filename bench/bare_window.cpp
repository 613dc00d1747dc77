// The yardstick for the window program's start-up: a bare Qt program with the same kinds
// of widgets (main window, MDI area, three menus, a list, a progress bar and two status
// bars) and nothing else. It prints the milliseconds from main() to the shown window and
// ends; scripts/bench-window runs it interleaved with vantorix_window_startup. With
// --grid it also shows a table of the grid's size in an MDI child, with --chart a chart
// view with nine lines of 17 points drawn as the chart window draws them, and prints the
// milliseconds until those are shown; given an image after either, it also reads it and
// shows what an open shows in the bars and the log.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "WindowSizes.h"

namespace {

// The grid's size and the kind of texts it shows: temperatures, RPMs and 153 different AFRs,
// every cell in view as in the grid window.
QWidget* BareGrid() {
  auto* table = new QTableWidget(19, 10);
  table->horizontalHeader()->setDefaultSectionSize(66);
  table->verticalHeader()->setDefaultSectionSize(21);
  for (int row = 0; row < 19; ++row)
    for (int column = 0; column < 10; ++column)
      table->setItem(row, column,
                     new QTableWidgetItem(row < 2       ? QString::number(-40 + 24 * column)
                                          : column == 0 ? QString::number(400 * (row - 2))
                                                        : QString::number(11.0 + 0.13 * row + 0.07 * column, 'f', 2)));
  return table;
}

// The chart window's picture with nothing behind it: nine named, coloured 17-point lines
// on two titled axes, a title, the legend at the right, drawn smooth.
QWidget* BareChart() {
  auto* chart = new QChart;
  auto* x = new QValueAxis;
  x->setTitleText(QStringLiteral("Engine speed (RPM)"));
  x->setRange(0, 6400);
  x->setTickCount(9);
  auto* y = new QValueAxis;
  y->setTitleText(QStringLiteral("Target air/fuel ratio"));
  y->setRange(11.5, 13.5);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (int line = 0; line < 9; ++line) {
    auto* series = new QLineSeries;
    series->setName(QStringLiteral("%1 °C / %2 °F").arg(-40 + 24 * line).arg(-40 + 43 * line));
    series->setPen(QPen(QColor::fromHsv(240 - 30 * line, 230, 200), 2));
    for (int point = 0; point < 17; ++point) series->append(400.0 * point, 12.0 + 0.1 * line + 0.05 * point);
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
  }
  chart->setTitle(QStringLiteral("Target AFRs"));
  chart->legend()->setAlignment(Qt::AlignRight);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

// The log lines the window program writes from an open to its grid or its chart shown.
constexpr int kLogLinesToGrid = 15, kLogLinesToChart = 6;

}  // namespace

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
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* paths = new QStatusBar(central);
  paths->showMessage(QStringLiteral("N/A"));
  column->addWidget(paths);
  auto* progress = new QProgressBar(central);
  progress->hide();  // as the window program keeps it until a file is read or written
  column->addWidget(progress);
  auto* area = new QMdiArea(central);
  column->addWidget(area, 1);
  auto* log = new QListWidget(central);
  for (int line = 0; line < 8; ++line) log->addItem(QStringLiteral("12:00:00 PM, start-up line %1").arg(line));
  log->setFixedSize(kLogListSize);
  column->addWidget(log);
  window.setCentralWidget(central);
  window.statusBar()->showMessage(QStringLiteral("N/A"));
  window.resize(kMainWindowSize);
  window.show();
  QApplication::processEvents();
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "--grid" || mode == "--chart") {
    // Given an image, the bare program also does the least of what opening it shows:
    // reads it whole, names it and its identity in the two bars, and logs as many lines.
    if (argc > 2) {
      QFile image(QString::fromLocal8Bit(argv[2]));
      if (!image.open(QIODevice::ReadOnly) || image.readAll().size() != 32768) return 1;
      paths->showMessage(image.fileName());
      window.statusBar()->showMessage(QStringLiteral("Mask (hex): 8D  ID (dec): 4613  CSUM (hex): 0A5F"));
      for (int line = 0; line < (mode == "--grid" ? kLogLinesToGrid : kLogLinesToChart); ++line)
        log->addItem(QStringLiteral("12:00:01 PM, open and grid line %1").arg(line));
      log->setCurrentRow(log->count() - 1);
    }
    QMdiSubWindow* child = area->addSubWindow(mode == "--grid" ? BareGrid() : BareChart());
    child->resize(mode == "--grid" ? kGridWindowSize : kChartWindowSize);
    child->show();
    QApplication::processEvents();
  }
  std::printf("%.2f\n", std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  return 0;
}
