// The yardstick for the window program's start-up: a bare Qt program with the same widgets
// (main window, MDI area, four menus, a bar of one panel and a bar of seven, a list, a
// progress bar) and nothing else. It prints the milliseconds from main() to the shown
// window and ends; scripts/bench-window runs it interleaved with vantorix_window_startup.
// With --grid it also shows the grid window's widgets in an MDI child (a table of the
// grid's size in a frame with its two captions, a note and two buttons), with --chart the
// chart window's (a chart of nine 17-point lines drawn as it draws them, and its switch), and
// prints the milliseconds until those are shown; given an image after either, it also
// reads it and shows what an open shows in the bars and the log.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "WindowSizes.h"

namespace {

// The grid window's widgets: a frame holding the two captions and a table of the grid's
// size with the kind of texts it shows (temperatures, RPMs and 153 different AFRs, every
// cell in view), then a note and two buttons.
QWidget* BareGrid() {
  auto* table = new QTableWidget(19, 10);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->setFixedSize(kGridTableSize);
  for (int row = 0; row < 19; ++row)
    for (int column = 0; column < 10; ++column) {
      auto* item = new QTableWidgetItem(row < 2       ? QString::number(-40 + 24 * column)
                                        : column == 0 ? QString::number(400 * (row - 2))
                                                      : QString::number(11.0 + 0.13 * row + 0.07 * column, 'f', 2));
      if (row < 2 || column == 0) item->setBackground(table->palette().button());
      table->setItem(row, column, item);
    }
  auto* window = new QWidget;
  window->setWindowTitle(QStringLiteral("Power Enrichment Target Air/Fuel Ratios"));
  auto* frame = new QGroupBox(window);
  auto* grid = new QGridLayout(frame);
  grid->addWidget(new QLabel(QStringLiteral("Coolant Temperature")), 0, 1, Qt::AlignCenter);
  grid->addWidget(new QLabel(QStringLiteral("R\nP\nM")), 1, 0, Qt::AlignCenter);
  grid->addWidget(table, 1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("Note: Double Click on a table cell to change the Target AFR")), 1);
  bottom->addWidget(new QPushButton(QStringLiteral("OK")));
  bottom->addWidget(new QPushButton(QStringLiteral("Cancel")));
  auto* column = new QVBoxLayout(window);
  column->addWidget(frame);
  column->addLayout(bottom);
  return window;
}

// A status bar of sunken panels side by side, as many as the window program's bar has.
std::vector<QLabel*> PanelBar(QWidget* parent, QVBoxLayout* column, int height, const QStringList& texts) {
  auto* bar = new QWidget(parent);
  bar->setFixedHeight(height);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  std::vector<QLabel*> panels;
  for (const QString& text : texts) {
    panels.push_back(new QLabel(text, bar));
    panels.back()->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    row->addWidget(panels.back(), 1);
  }
  column->addWidget(bar);
  return panels;
}

// The chart window's widgets with nothing behind them: a chart of nine named, coloured
// 17-point lines on two titled axes, a title, the legend at the right, drawn smooth, and
// the switch below it.
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
  auto* window = new QWidget;
  window->setWindowTitle(QStringLiteral("Power Enrichment Target AFR Chart"));
  auto* column = new QVBoxLayout(window);
  column->addWidget(view, 1);
  column->addWidget(new QCheckBox(QStringLiteral("Plot against coolant &temperature (one line per RPM point)")));
  return window;
}

// The log lines the window program writes from an open to its grid or its chart shown.
constexpr int kLogLinesToGrid = 15, kLogLinesToChart = 6;

}  // namespace

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  QApplication application(argc, argv);
  QMainWindow window;
  for (const char* title : {"&File", "&Edit", "&Binary", "&Help"}) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(title));
    for (int item = 0; item < 4; ++item) menu->addAction(QStringLiteral("Item %1").arg(item));
  }
  auto* central = new QWidget(&window);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  QLabel* path = PanelBar(central, column, kPathsBarHeight, {QStringLiteral("Current BIN: N/A")})[0];
  auto* progress = new QProgressBar(central);
  progress->hide();  // as the window program keeps it until a file is read or written
  column->addWidget(progress);
  auto* area = new QMdiArea(central);
  column->addWidget(area, 1);
  auto* logPanel = new QWidget(central);
  logPanel->setFixedHeight(kLogPanelHeight);
  auto* log = new QListWidget(logPanel);
  for (int line = 0; line < 8; ++line) log->addItem(QStringLiteral("12:00:00 PM, start-up line %1").arg(line));
  log->setGeometry({kLogListPlace, kLogListSize});
  column->addWidget(logPanel);
  const std::vector<QLabel*> various =
      PanelBar(central, column, kVariousBarHeight,
               {QStringLiteral("Mask (hex): N/A"), QStringLiteral("ID (dec): N/A"), QStringLiteral("CSUM (hex): N/A"),
                QStringLiteral("INS"), QStringLiteral("CAPS"), QStringLiteral("NUM"),
                QStringLiteral("Start Time: 12:00:00 PM  Date: 12/7/2026")});
  window.setCentralWidget(central);
  window.resize(kMainWindowSize);
  window.show();
  QApplication::processEvents();
  SayIfSizesDiffer("bare child-window area", area->size(), kChildAreaSize);
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "--grid" || mode == "--chart") {
    // Given an image, the bare program also does the least of what opening it shows:
    // reads it whole, names it and its identity in the two bars, and logs as many lines.
    if (argc > 2) {
      QFile image(QString::fromLocal8Bit(argv[2]));
      if (!image.open(QIODevice::ReadOnly) || image.readAll().size() != 32768) return 1;
      path->setText(QStringLiteral("Current BIN: ") + image.fileName());
      various[0]->setText(QStringLiteral("Mask (hex): 8D"));
      various[1]->setText(QStringLiteral("ID (dec): 4613"));
      various[2]->setText(QStringLiteral("CSUM (hex): 0A5F"));
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
