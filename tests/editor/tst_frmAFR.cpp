#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <functional>

#include "ModalDriver.h"
#include "ScriptedMessageBoxes.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/VantorixApplication.h"
#include "app/frmMain.h"
#include "editor/frmAFR.h"
#include "editor/frmNewAFR.h"

using namespace vantorix;
using test::TestImage;

namespace {

// Coolant modifier 20 at 80 °C (column 6) and RPM modifier 143 at 3200 RPM (row 10):
// that cell shows 3770.1608988764 / 291 = 12.96.
constexpr std::array<std::uint8_t, 9> kCoolant{0, 88, 30, 40, 50, 20, 60, 70, 255};
constexpr std::array<std::uint8_t, 17> kRpm{0, 80, 10, 20, 30, 40, 50, 60, 143, 70, 80, 90, 100, 110, 120, 130, 255};
constexpr int kRow3200 = 10;
constexpr int kColumn80 = 6;

// How the change dialog is answered.
struct Answer {
  QString typed;
  bool byCoolant = false;
  bool cancel = false;
};

}  // namespace

class AfrGridTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  test::ScriptedMessageBoxes boxes_;
  std::unique_ptr<frmMain> main_;
  std::string path_;
  QString dialogSentence_;

  frmAFR* Grid() { return main_->findChild<frmAFR*>("frmAFR"); }
  QTableWidget* Cells() { return Grid()->findChild<QTableWidget*>("MSFlexGrid1"); }
  QString Cell(int row, int column) { return Cells()->item(row, column)->text(); }
  bool Yellow(int row, int column) { return Cells()->item(row, column)->background().color() == QColor(255, 255, 0); }
  int YellowCount() {
    int count = 0;
    for (int r = 0; r < frmAFR::kRows; ++r)
      for (int c = 0; c < frmAFR::kColumns; ++c) count += Yellow(r, c) ? 1 : 0;
    return count;
  }
  QStringList Log() {
    QStringList lines;
    auto* list = main_->findChild<QListWidget*>("lstLog");
    for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text().section(", ", 1);
    return lines;
  }
  void AnswerDialog(const Answer& answer) {
    test::WhenModalShown<frmNewAFR>([this, answer](frmNewAFR& dialog) {
      dialogSentence_ = dialog.findChild<QLabel*>("lblCurrentValue")->text();
      if (answer.byCoolant) dialog.findChild<QRadioButton*>("optCoolant")->click();
      QTest::keyClicks(dialog.findChild<QLineEdit*>("txtNewValue"), answer.typed);
      dialog.findChild<QPushButton*>(answer.cancel ? "cmdCancel" : "cmdOK")->click();
    });
  }
  // Double-clicks the data cell through the grid's own handler, with the dialog answered.
  QStringList Change(int row, int column, const Answer& answer) {
    const int before = static_cast<int>(Log().size());
    Cells()->setCurrentCell(row, column);
    AnswerDialog(answer);
    Grid()->MSFlexGrid1_DblClick();
    return Log().mid(before);
  }
  std::vector<std::uint8_t> ImageBytes() {
    const auto bytes = main_->images().gobjBIN().Bytes();
    return {bytes.begin(), bytes.end()};
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    boxes_ = test::ScriptedMessageBoxes();
    MainWindowServices services;
    services.boxes = &boxes_;
    services.locale = QLocale("en_US");
    main_ = std::make_unique<frmMain>(InitializeSettings(), services);
    main_->show();
    path_ = TestImage(32768, 0x8D).CoolantModifiers(kCoolant).RpmModifiers(kRpm).WriteTo(dir_->Path() / "cal.bin");
    main_->OpenBinaryFile(false, QString::fromStdString(path_));
    main_->mnuAFRs_Click();
    QVERIFY(Grid() != nullptr);
  }

  void cleanup() {
    main_.reset();
    dir_.reset();
  }

  void showsLabelsAndTheAfrOfEveryCell() {
    QCOMPARE(Grid()->windowTitle(), "Power Enrichment Target Air/Fuel Ratios");
    QCOMPARE(Cell(0, 0), "Degrees C");
    QCOMPARE(Cell(1, 0), "Degrees F");
    QStringList celsius, fahrenheit, rpm;
    for (int c = 1; c <= 9; ++c) celsius << Cell(0, c), fahrenheit << Cell(1, c);
    for (int r = 2; r <= 18; ++r) rpm << Cell(r, 0);
    QCOMPARE(celsius.join(u' '), "-40 -16 8 32 56 80 104 128 152");
    QCOMPARE(fahrenheit.join(u' '), "-40 3.2 46.4 89.6 132.8 176 219.2 262.4 305.6");
    QCOMPARE(rpm.join(u' '), QString("0 400 800 1200 1600 2000 2400 2800 3200 3600 4000 4400 4800 5200 5600 "
                                     "6000 6400"));
    QCOMPARE(Cell(2, 1), "29.45");  // both modifiers 0
    QCOMPARE(Cell(18, 9), "5.91");  // both 255
    QCOMPARE(Cell(3, 2), "12.74");  // 88 + 80
    QCOMPARE(Cell(kRow3200, kColumn80), "12.96");
    QCOMPARE(YellowCount(), 0);
    QCOMPARE(Log().mid(Log().indexOf("View issued for WOT PE AFRs.")),
             (QStringList{"View issued for WOT PE AFRs.", "Populating Coolant Temps...", "Populating RPMs...",
                          "Requesting Modifiers from BIN...", "Gathering WOT PE Coolant Modifiers from file...",
                          "WOT PE Coolant Modifiers gathered from file successfully.",
                          "Gathering WOT PE RPM Modifiers from file...",
                          "WOT PE RPM Modifiers gathered from file successfully.", "Populating grid with AFRs...",
                          "AFRs calculated and populated to grid successfully."}));
  }

  void aChangeByRpmRewritesTheWholeRowInYellow() {
    const QStringList log = Change(kRow3200, kColumn80, {"13.5"});
    QCOMPARE(dialogSentence_, "Current Target AFR is 12.96 at 3200RPMs and 80\u00BA C (176\u00BA F)");
    QCOMPARE(log, (QStringList{"RPM Modifier selected.", "Original AFR: 12.96, New AFR: 13.5",
                               "Recalculating AFRs based on 3200RPMs...",
                               "RPM Modifier calculated.  New RPM Modifier = 131 (83)",
                               "AFRs recalculated successfully based on new RPM Modifier."}));
    QCOMPARE(Cell(kRow3200, kColumn80), "13.51");
    for (int c = 1; c <= 9; ++c) {
      QVERIFY(Yellow(kRow3200, c));
      QCOMPARE(Cells()->item(kRow3200, c)->foreground().color(), QColor(0, 0, 0));
    }
    QCOMPARE(Cell(kRow3200, 1), QString::number(3770.1608988764 / (131 + 0 + 128), 'f', 2));
    QCOMPARE(YellowCount(), 9);
  }

  void aChangeByCoolantRewritesTheWholeColumnInYellow() {
    const QStringList log = Change(kRow3200, kColumn80, {"13.5", true});
    QCOMPARE(log.mid(1), (QStringList{"Coolant Modifier selected.", "Original AFR: 12.96, New AFR: 13.5",
                                      "Recalculating AFRs based on 80C (176F)...",
                                      "Coolant Modifier calculated.  New Coolant Modifier = 8 (8)",
                                      "AFRs recalculated successfully based on new Coolant Modifier."}));
    for (int r = 2; r <= 18; ++r) QVERIFY(Yellow(r, kColumn80));
    QCOMPARE(YellowCount(), 17);
    QCOMPARE(Cell(0, kColumn80), "80");  // headers never change
  }

  void modifiersOutsideAByteAreRefused() {
    const struct {
      const char* typed;  // 3770.1608988764 / (m + 128), with coolant modifier 0 kept
      int modifier;
      const char* refusal;  // empty when accepted
    } cases[] = {{"9.84376213805849", 255, ""},
                 {"9.81812734082396", 256, "Excessive"},
                 {"29.4543820224719", 0, ""},
                 {"29.6863062903654", -1, "Negative"}};
    for (const auto& c : cases) {
      boxes_.shown.clear();
      const QStringList log = Change(2, 1, {QString(c.typed)});
      const QString refusal = c.refusal, number = QString::number(c.modifier);
      if (refusal.isEmpty()) {
        QCOMPARE(log[3], "RPM Modifier calculated.  New RPM Modifier = " + number + " (" +
                             QString::number(c.modifier, 16).toUpper() + ")");
        QVERIFY(boxes_.shown.isEmpty());
      } else {
        QCOMPARE(boxes_.shown, QStringList{"48 " + refusal +
                                           " RPM Modifier: New RPM Modifier is invalid.  The AFR you "
                                           "have chosen is too " +
                                           (c.modifier > 0 ? "RICH" : "LEAN") + ".  Please try again."});
        QCOMPARE(log.last(), refusal + " RPM Modifier (" + number + ").  Cannot calculate new AFRs.");
      }
    }
    QCOMPARE(YellowCount(), 9);  // only the accepted changes coloured row 2
  }

  void cancelOrTheSameValueModifiesNothing() {
    for (const Answer& answer : {Answer{"14", false, true}, Answer{"12.96"}}) {
      const QStringList log = Change(kRow3200, kColumn80, answer);
      QCOMPARE(log.mid(1), (QStringList{"Original AFR: 12.96, New AFR: 12.96", "AFRs not modified."}));
    }
    QCOMPARE(YellowCount(), 0);
  }

  void theEntryTakesOnlyDigitsPointAndBackspace() {
    QString afterTyping, afterBackspace;
    bool stillOpen = false;
    test::WhenModalShown<frmNewAFR>([&](frmNewAFR& dialog) {
      auto* entry = dialog.findChild<QLineEdit*>("txtNewValue");
      QTest::keyClicks(entry, "1a2,-3 .5x");
      QTest::keyClick(entry, Qt::Key_Return);
      QTest::keyClick(entry, Qt::Key_Escape);
      QTest::keyClick(&dialog, Qt::Key_Escape);
      afterTyping = entry->text();
      stillOpen = dialog.isVisible();
      QTest::keyClick(entry, Qt::Key_Backspace);
      afterBackspace = entry->text();
      dialog.findChild<QPushButton*>("cmdCancel")->click();
    });
    Cells()->setCurrentCell(2, 1);
    Grid()->MSFlexGrid1_DblClick();
    QCOMPARE(afterTyping, "123.5");
    QVERIFY(stillOpen);
    QCOMPARE(afterBackspace, "123.");
  }

  void anEntryThatIsNotANumberIsAskedForAgain() {
    bool stillOpen = false;
    test::WhenModalShown<frmNewAFR>([&](frmNewAFR& dialog) {
      auto* entry = dialog.findChild<QLineEdit*>("txtNewValue");
      auto* ok = dialog.findChild<QPushButton*>("cmdOK");
      for (const char* text : {"", ".", "1.2.3", "0"}) {
        entry->setText(text);
        ok->click();
      }
      stillOpen = dialog.isVisible();
      dialog.close();  // the frame's close button hands back the current value
    });
    Cells()->setCurrentCell(2, 1);
    Grid()->MSFlexGrid1_DblClick();
    QVERIFY(stillOpen);
    QCOMPARE(boxes_.shown.size(), 4);
    QCOMPARE(Log().last(), "AFRs not modified.");
  }

  void okWritesBothTablesAndCancelLeavesTheImageAlone() {
    const auto before = ImageBytes();
    Change(kRow3200, kColumn80, {"13.5"});
    Grid()->cmdOK_Click();
    QTRY_VERIFY(Grid() == nullptr);
    auto expected = before;
    expected[0x0617 + kRow3200 - 2] = 131;
    QCOMPARE(ImageBytes(), expected);
    QVERIFY(main_->images().gobjBIN().Changed());
    QCOMPARE(Log().last(), "Exiting PE AFR.  User chose OK.  Any changes to the AFR are being *remembered*.");

    main_->mnuAFRs_Click();  // reopening reads the written tables: no yellow
    QCOMPARE(Cell(kRow3200, kColumn80), "13.51");
    QCOMPARE(YellowCount(), 0);
    Change(2, 1, {"14", true});
    Grid()->cmdCancel_Click();
    QTRY_VERIFY(Grid() == nullptr);
    QCOMPARE(ImageBytes(), expected);
  }

  void theGridStaysWithItsImageUntilOkOrCancel() {
    Change(kRow3200, kColumn80, {"13.5"});
    main_->mnuAFRs_Click();  // brought forward as it is
    QCOMPARE(main_->mdiArea().subWindowList().size(), 1);
    QCOMPARE(YellowCount(), 9);
    boxes_.shown.clear();
    QVERIFY(!main_->close());  // Exit only says to close the grid first
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(boxes_.shown[0].startsWith("0 Close AFR Screen: "));
    Grid()->cmdOK_Click();  // OK without a further change still marks the image changed
    QVERIFY(main_->images().gobjBIN().Changed());
  }

  void openingAnotherImageClosesTheGridWithoutWriting() {
    Change(kRow3200, kColumn80, {"13.5"});
    const std::string other = TestImage(32768, 0x6E).WriteTo(dir_->Path() / "other.bin");
    main_->OpenBinaryFile(false, QString::fromStdString(other));
    QTRY_VERIFY(Grid() == nullptr);
    QVERIFY(Log().contains("Exiting PE AFR.  User chose CANCEL.  Any changes to the AFR have been *forgotten*."));
    QCOMPARE(test::ReadFile(path_), TestImage(32768, 0x8D).CoolantModifiers(kCoolant).RpmModifiers(kRpm).Bytes());
  }

  void aRealDoubleClickOnACellOpensTheDialog() {
    AnswerDialog({"13.5"});
    QWidget* viewport = Cells()->viewport();
    const QPoint centre = Cells()->visualItemRect(Cells()->item(kRow3200, kColumn80)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre);
    QTRY_COMPARE(Cell(kRow3200, kColumn80), "13.51");
    QVERIFY(Yellow(kRow3200, 1));

    // A click on a header cell leaves the current cell on the data cell.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Cells()->visualItemRect(Cells()->item(0, 0)).center());
    QCOMPARE(Cells()->currentRow(), kRow3200);
    QCOMPARE(Cells()->currentColumn(), kColumn80);
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  AfrGridTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmAFR.moc"
