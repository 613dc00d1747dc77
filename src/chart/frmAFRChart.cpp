#include "chart/frmAFRChart.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "bin/FileSystem.h"
#include "foundation/NumberText.h"
#include "pe/AfrGridLabels.h"

namespace vantorix {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// "80 °C (176 °F)", the way the grid's columns are headed.
QString Temperature(int column) {
  return Text(afr_grid::CelsiusLabel(column + 1)) + QStringLiteral(" °C (") +
         Text(afr_grid::FahrenheitLabel(column + 1)) + QStringLiteral(" °F)");
}

QString Rpm(int row) { return Text(afr_grid::RpmLabel(row + 1)) + QStringLiteral(" RPM"); }

// One line of the chart: a coolant column against RPM, or an RPM row against temperature.
struct Line {
  QString name;
  std::vector<std::pair<int, int>> cells;  // (row, column) in the order of the x axis
};

std::vector<Line> Lines(bool byTemperature) {
  std::vector<Line> lines;
  const int count = byTemperature ? afr_grid::kRpmPoints : afr_grid::kCoolantPoints;
  const int points = byTemperature ? afr_grid::kCoolantPoints : afr_grid::kRpmPoints;
  for (int line = 0; line < count; ++line) {
    lines.push_back({byTemperature ? Rpm(line) : Temperature(line), {}});
    for (int point = 0; point < points; ++point)
      lines.back().cells.emplace_back(byTemperature ? line : point, byTemperature ? point : line);
  }
  return lines;
}

double XOf(std::pair<int, int> cell, bool byTemperature) {
  return byTemperature ? afr_grid::CelsiusAt(cell.second + 1) : 400.0 * cell.first;
}

}  // namespace

frmAFRChart::frmAFRChart(Shell& shell, bool nativeFileDialog, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_nativeFileDialog(nativeFileDialog) {
  setObjectName(QStringLiteral("frmAFRChart"));
  setWindowTitle(QStringLiteral("Power Enrichment Target AFR Chart"));
  setAttribute(Qt::WA_DeleteOnClose);
  chtAFR = new QChartView(new QChart, this);
  chtAFR->setObjectName(QStringLiteral("chtAFR"));
  chtAFR->setRenderHint(QPainter::Antialiasing);
  chtAFR->chart()->legend()->setAlignment(Qt::AlignRight);  // whatever is drawn
  chtAFR->setMinimumSize(560, 360);
  auto* saveAs = new QAction(QStringLiteral("Save Chart As…"), chtAFR);
  saveAs->setObjectName(QStringLiteral("mnuSaveChartAs"));
  connect(saveAs, &QAction::triggered, this, &frmAFRChart::cmdSaveChartAs_Click);
  chtAFR->addAction(saveAs);
  chtAFR->setContextMenuPolicy(Qt::ActionsContextMenu);
  chkByTemperature = new QCheckBox(QStringLiteral("Plot against coolant &temperature (one line per RPM point)"), this);
  chkByTemperature->setObjectName(QStringLiteral("chkByTemperature"));
  connect(chkByTemperature, &QCheckBox::toggled, this, [this] { Draw(); });
  auto* column = new QVBoxLayout(this);
  column->addWidget(chtAFR, 1);
  column->addWidget(chkByTemperature);
}

QChart& frmAFRChart::Chart() const { return *chtAFR->chart(); }

void frmAFRChart::Show(const ChartTables& tables) {
  // Every command has the windows follow the image; most leave the chart's tables as they were.
  if (m_drawn && tables == m_tables) return;
  m_tables = tables;
  Draw();
}

void frmAFRChart::PlotAgainstTemperature(bool byTemperature) { chkByTemperature->setChecked(byTemperature); }

void frmAFRChart::Draw() {
  Trapped("Draw", [this] {
    const bool byTemperature = chkByTemperature->isChecked();
    QChart& chart = Chart();
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) chart.removeAxis(axis), delete axis;
    auto* x = new QValueAxis;
    x->setTitleText(byTemperature ? QStringLiteral("Coolant temperature (°C)") : QStringLiteral("Engine speed (RPM)"));
    x->setRange(byTemperature ? -40 : 0, byTemperature ? 152 : 6400);
    x->setTickCount(9);
    x->setLabelFormat(QStringLiteral("%.0f"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Target air/fuel ratio"));
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);

    double lowest = 1e9, highest = -1e9;
    auto* pending = new QScatterSeries;
    pending->setName(QStringLiteral("Changed, not yet written"));
    pending->setMarkerSize(9);
    const auto add = [&](QXYSeries* series) {
      chart.addSeries(series);
      series->attachAxis(x);
      series->attachAxis(y);
    };
    const std::vector<Line> lines = Lines(byTemperature);
    for (const Line& line : lines) {
      auto* series = new QLineSeries;
      series->setName(line.name);
      // A colour of its own for each of up to 17 lines, cold blue to hot red along the hues.
      const auto colour = static_cast<int>(&line - lines.data());
      series->setPen(QPen(QColor::fromHsv(240 - 240 * colour / static_cast<int>(lines.size() - 1), 230, 200), 2));
      for (const auto& cell : line.cells) {
        const double afr = m_tables.shown[static_cast<std::size_t>(cell.first)][static_cast<std::size_t>(cell.second)];
        series->append(XOf(cell, byTemperature), afr);
        lowest = std::min(lowest, afr), highest = std::max(highest, afr);
        if (m_tables.pending.contains(cell)) pending->append(XOf(cell, byTemperature), afr);
      }
      // The tool tip names the point nearest the pointer along the line.
      connect(series, &QLineSeries::hovered, this, [line, byTemperature, series](const QPointF& at, bool inside) {
        if (!inside) return QToolTip::hideText();
        const auto nearest = std::min_element(line.cells.begin(), line.cells.end(), [&](auto a, auto b) {
          return std::abs(XOf(a, byTemperature) - at.x()) < std::abs(XOf(b, byTemperature) - at.x());
        });
        const auto index = static_cast<int>(nearest - line.cells.begin());
        QToolTip::showText(QCursor::pos(), Rpm(nearest->first) + QStringLiteral(", ") + Temperature(nearest->second) +
                                               QStringLiteral(": target AFR ") +
                                               Text(number::GeneralText(series->at(index).y())));
      });
      add(series);
      if (!m_tables.compare) continue;
      auto* compare = new QLineSeries;
      compare->setName(line.name + QStringLiteral(", compare image"));
      for (const auto& cell : line.cells) {
        const double afr =
            (*m_tables.compare)[static_cast<std::size_t>(cell.first)][static_cast<std::size_t>(cell.second)];
        compare->append(XOf(cell, byTemperature), afr);
        lowest = std::min(lowest, afr), highest = std::max(highest, afr);
      }
      add(compare);
      QPen dashed(series->color(), 1.5, Qt::DashLine);
      compare->setPen(dashed);
      // The legend names each colour once; the dashes are explained by the title.
      for (QLegendMarker* marker : chart.legend()->markers(compare)) marker->setVisible(false);
    }
    if (pending->count() > 0)
      add(pending);
    else
      delete pending;
    y->setRange(std::floor(lowest * 2.0 - 1.0) / 2.0, std::ceil(highest * 2.0 + 1.0) / 2.0);
    y->applyNiceNumbers();
    chart.setTitle(m_tables.compare ? QStringLiteral("Target AFRs (dashed: the compare image)")
                                    : QStringLiteral("Target AFRs"));
    m_drawn = true;  // only a chart drawn to the end stands for its tables
  });
}

void frmAFRChart::SaveChartAs(const std::string& path) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  chtAFR->grab().save(&buffer, "PNG");
  const std::string unflushed = ReplaceFileContents(
      RealFileSystem(), path,
      std::span(reinterpret_cast<const std::uint8_t*>(png.constData()), static_cast<std::size_t>(png.size())));
  m_shell.WriteLog("Target AFR chart saved to " + path + ".");
  if (!unflushed.empty()) m_shell.WriteLog(unflushed);
}

void frmAFRChart::cmdSaveChartAs_Click() {
  Trapped("cmdSaveChartAs_Click", [this] {
    QFileDialog dialog(this, QStringLiteral("Save Chart As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_nativeFileDialog);
    dialog.setNameFilter(QStringLiteral("PNG image (*.png)"));
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SaveChartAs(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
  });
}

}  // namespace vantorix
