// The AFR chart and the compare image: what the chart draws and follows, and how a compare
// image is opened, marked in the grid, the chart and Image Details, and never written.
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include "MainWindowFixture.h"
#include "app/StatusPanelBar.h"
#include "app/VantorixApplication.h"
#include "chart/frmAFRChart.h"
#include "editor/frmAFR.h"
#include "editor/frmNewAFR.h"

using namespace vantorix;
using test::TestImage;

namespace {

// The grid tests' calibration with another RPM modifier at 3200 RPM.
TestImage Calibration(std::uint8_t rpm3200 = 143, std::uint8_t mask = 0x8D) {
  TestImage image = test::GridCalibration(mask);
  return image.Byte(image.RpmOffset() + 8, rpm3200).CorrectChecksum();
}

}  // namespace

class AfrChartTest : public QObject {
  Q_OBJECT

 private:
  test::MainWindowFixture f_;
  QString image_;

  frmAFRChart* Chart() { return f_.window->findChild<frmAFRChart*>("frmAFRChart"); }
  QList<QXYSeries*> Series(const char* kind = "QLineSeries") {
    QList<QXYSeries*> series;
    for (QAbstractSeries* one : Chart()->Chart().series())
      if (one->inherits(kind)) series << static_cast<QXYSeries*>(one);
    return series;
  }
  // The AFR a line of the chart draws at x.
  static double At(QXYSeries* series, double x) {
    for (const QPointF& point : series->points())
      if (point.x() == x) return point.y();
    return -1;
  }
  // The lines drawn, the points marked in each marking series, then each named line and its AFR at x.
  QString Drawn(std::initializer_list<std::pair<int, double>> lines) {
    QStringList marks;
    for (QXYSeries* marking : Series("QScatterSeries")) marks << QString::number(marking->count());
    QStringList seen{QString::number(Series().size()) + " lines, marked " + marks.join(u' ')};
    for (const auto& [line, x] : lines) seen << Series()[line]->name() + ": " + QString::number(At(Series()[line], x));
    return seen.join(", ");
  }
  frmAFR* Grid() { return f_.window->findChild<frmAFR*>("frmAFR"); }

 private slots:
  void init() {
    QVERIFY(f_.Start());
    image_ = f_.Write(Calibration(), "cal.bin");
    f_.window->OpenBinaryFile(true, image_);
    f_.window->findChild<QAction*>("mnuAFRChart")->trigger();
    QVERIFY(Chart() != nullptr);
  }
  void cleanup() { f_.Stop(); }

  // Nine lines, one per coolant column, hold the grid's values; a pending change shows
  // (its points marked) until the grid's Cancel; the switch plots per RPM point; the chart
  // saves as a PNG file.
  void drawsTheGridsValuesFollowsItsChangesAndSaves() {
    QCOMPARE(Drawn({{5, 3200}, {0, 0}}), "9 lines, marked , 80 °C (176 °F): 12.96, -40 °C (-40 °F): 29.45");
    f_.window->findChild<QAction*>("mnuAFRs")->trigger();
    test::WhenModalShown<frmNewAFR>([](frmNewAFR& dialog) {
      QTest::keyClicks(dialog.findChild<QLineEdit*>("txtNewValue"), "14.7");
      dialog.findChild<QPushButton*>("cmdOK")->click();
    });
    Grid()->MSFlexGrid1_DblClick();  // the top-left cell, by RPM: the 0 RPM row gets modifier 128
    QCOMPARE(Drawn({{0, 0}}), "9 lines, marked 9, -40 °C (-40 °F): 14.73");
    Grid()->findChild<QPushButton*>("cmdCancel")->click();
    QTRY_COMPARE(Drawn({{0, 0}}), "9 lines, marked , -40 °C (-40 °F): 29.45");
    Chart()->PlotAgainstTemperature(true);
    QCOMPARE(Drawn({{8, 80}}), "17 lines, marked , 3200 RPM: 12.96");
    const std::string png = f_.dir->File("chart.png");
    Chart()->SaveChartAs(png);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(test::ReadFile(png).data()), 4), QByteArray("\x89PNG"));
  }

  // A compare image of the same mask is read, never written, named in the path bar, marked
  // cell by cell in the grid, dashed in the chart, listed in Image Details and closed by
  // Close; one of another mask is refused.
  void aCompareImageIsMarkedEverywhereAndNeverWritten() {
    const QString compare = f_.Write(Calibration(150), "stock.bin");  // 3200 RPM: 20 + 150 + 128 -> 12.65
    const auto written = QFileInfo(compare).lastModified();
    f_.window->findChild<QAction*>("mnuAFRs")->trigger();
    f_.window->findChild<QAction*>("mnuImageDetails")->trigger();
    const auto logged = static_cast<int>(f_.Log().size());
    f_.window->OpenCompareFile(compare);
    QStringList seen = f_.Log(logged) << f_.window->findChild<StatusPanelBar*>("mssbPaths")->PanelText(1), marked;
    auto* table = Grid()->findChild<QTableWidget*>("MSFlexGrid1");
    for (int row = 2; row < frmAFR::kRows; ++row)
      for (int column = 1; column < frmAFR::kColumns; ++column)
        if (table->item(row, column)->toolTip().contains("Compare image"))
          marked << QString("%1,%2").arg(row).arg(column);
    const QList<QXYSeries*> lines = Series();  // column 5's compare line follows its own, dashed
    const auto* listed = f_.window->findChild<QListWidget*>("lstCompare");  // path, checksum, modifier, nine AFRs
    const QString line = "target AFR at 3200 RPM, 80 °C (176 °F): 12.65 -> 12.96";
    seen << marked.join(u' ') << table->item(10, 6)->toolTip().section(u'\n', -1) << Drawn({{11, 3200}})
         << (lines[11]->pen().style() == Qt::DashLine && lines[11]->color() == lines[10]->color() ? "dashed" : "solid")
         << QString("%1 listed, %2 ").arg(listed->count()).arg(listed->findItems(line, Qt::MatchExactly).size()) + line;
    QCOMPARE(seen, QStringList(
                       {"Opening binary file: " + compare, "Reading BIN to array...", "Binary read complete.",
                        "File opened successfully.", "Comparing with: " + compare,
                        "Current BIN: " + image_ + "    Compare BIN: " + compare,
                        "10,1 10,2 10,3 10,4 10,5 10,6 10,7 10,8 10,9", "Compare image: 12.65 (difference +0.31)",
                        "18 lines, marked , 80 °C (176 °F), compare image: 12.65", "dashed", "12 listed, 1 " + line}));
    Grid()->findChild<QPushButton*>("cmdCancel")->click();
    f_.boxes.shown.clear();
    f_.window->OpenCompareFile(f_.Write(Calibration(143, 0x6E), "other.bin"));
    QCOMPARE(f_.boxes.shown.value(0).section(':', 0, 0), "Exclamation Compare Error");
    f_.window->mnuClose_Click();
    QVERIFY(f_.Log().contains("Closing binary compare file: " + compare));
    QCOMPARE(test::ReadFile(compare.toStdString()), Calibration(150).Bytes());
    QCOMPARE(QFileInfo(compare).lastModified(), written);
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  AfrChartTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_frmAFRChart.moc"
