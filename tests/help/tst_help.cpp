#include <QtTest>
#include <QtWidgets>

#include "MainWindowFixture.h"
#include "app/VantorixApplication.h"
#include "help/HelpTexts.h"

using namespace vantorix;

class HelpWindowsTest : public QObject {
  Q_OBJECT

 private:
  test::MainWindowFixture f_;

 private slots:
  void init() { QVERIFY(f_.Start()); }
  void cleanup() { f_.Stop(); }

  void eachHelpWindowShowsItsTextAndLogsAsItSays_data() {
    QTest::addColumn<QString>("window");  // its title, and its name and menu item after frm and mnu
    QTest::addColumn<QStringList>("pieces");  // found in this order in the window's labels
    QTest::addColumn<QStringList>("log");     // opened and closed twice: by OK, then by the frame
    QTest::newRow("about") << "About"
        << QStringList{"Version 1.0.1", "WOT AFR = 6553.6/(((TBL L8608 + TBL L860D + 128) * 445)/256)",
                       "WOT AFR = AFR_CONSTANT / (RPM Modifier + Coolant Modifier + 128)", "AT YOUR OWN RISK."}
        << QStringList{"Viewing About.", "Exiting About.", "Viewing About.", "Exiting About."};
    QTest::newRow("instructions") << "Instructions"
        << QStringList{"Description:\n1. ", "YOU MUST CHOOSE THE 'OK' BUTTON ON THE GRID"} << QStringList{};
  }
  void eachHelpWindowShowsItsTextAndLogsAsItSays() {
    QFETCH(QString, window);
    QFETCH(QStringList, pieces);
    QFETCH(QStringList, log);
    f_.window->move(20, 100);  // off the screen's centre, with room around it for either window centred on it
    for (const bool byOk : {true, false}) {
      f_.window->findChild<QAction*>("mnu" + window)->trigger();
      auto* shown = f_.window->findChild<QWidget*>("frm" + window);
      QVERIFY(shown != nullptr && shown->isVisible());
      QCOMPARE(shown->windowTitle(), window);
      const QPoint off = shown->frameGeometry().center() - f_.window->frameGeometry().center();
      QVERIFY2(off.manhattanLength() <= 1, "opens centred on the main window");
      QString text;
      for (const QLabel* label : shown->findChildren<QLabel*>()) text += label->text() + u'\n';
      for (const QString& piece : pieces) {
        QVERIFY2(text.contains(piece), qPrintable(piece));
        text = text.section(piece, 1, -1);
      }
      byOk ? shown->findChild<QPushButton*>("cmdOK")->click() : void(shown->close());
      QTRY_VERIFY(f_.window->findChild<QWidget*>("frm" + window) == nullptr);
    }
    QCOMPARE(f_.Log(8), log);
    QCOMPARE(QString::fromStdString(help::VersionText(1, 0, 12)), "Version 1.0.12");
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  HelpWindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_help.moc"
