#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "ModalDriver.h"
#include "ScriptedMessageBoxes.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/KeyStates.h"
#include "app/LogTime.h"
#include "app/MainWindowLayout.h"
#include "app/StatusPanelBar.h"
#include "app/Twips.h"
#include "app/VantorixApplication.h"
#include "app/frmMain.h"
#include "wbpatch/TableSource.h"

using namespace vantorix;
using test::TestImage;

namespace {

const QString kTime = "9:08:44 PM, ";
const QString kNoImagePanels = "Current BIN: N/A|Mask (hex): N/A|ID (dec): N/A|CSUM (hex): N/A";
const QString kNoImageMenus = "Binary 0 Open 1 Close 0 Save 0";
const QString kSavePrompt =
    "51 Save Changes: You have made changes to the current BIN.  Do you wish to save these changes?\r\n\r\nCurrent "
    "BIN: ";

class FakeKeys final : public KeyStates {
 public:
  std::optional<bool> CapsLock() override { return true; }
  std::optional<bool> NumLock() override { return std::nullopt; }  // this platform cannot tell
};

// The built-in patch tables, or an installed one that turns out to be malformed.
class TestTables final : public wbpatch::TableSource {
 public:
  bool broken = false;
  wbpatch::Table Load(wbpatch::Version version) override {
    if (broken) throw RuntimeError(ErrorNumber::InvalidProcedureCall, "malformed installed table");
    return wbpatch::BuiltInTables().Load(version);
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  test::ScriptedMessageBoxes boxes_;
  FakeKeys keys_;
  TestTables tables_;
  std::unique_ptr<frmMain> window_;
  int mark_ = 0;

  frmMain& Window() { return *window_; }
  QListWidget& LogList() { return *window_->findChild<QListWidget*>("lstLog"); }
  // The log lines since the last call (or since start-up), without their times.
  QStringList NewLog() {
    QStringList lines;
    for (; mark_ < LogList().count(); ++mark_) lines << LogList().item(mark_)->text().mid(kTime.size());
    return lines;
  }
  QString Menus() {
    QString state;
    for (const char* name : {"mnuBinaryAction", "mnuOpen", "mnuClose", "mnuSave"})
      state += QString(name).mid(3).remove("Action") + u' ' +
               QString::number(window_->findChild<QAction*>(name)->isEnabled()) + u' ';
    return state.trimmed();
  }
  StatusPanelBar& Bar(const char* name) { return *window_->findChild<StatusPanelBar*>(name); }
  QString Panels() {
    return QStringList{Bar("mssbPaths").PanelText(1), Bar("mssbVarious").PanelText(1), Bar("mssbVarious").PanelText(2),
                       Bar("mssbVarious").PanelText(3)}
        .join(u'|');
  }
  QString Write(const TestImage& image, const QString& name = "cal.bin") {
    return QString::fromStdString(image.WriteTo(dir_->Path() / name.toStdString()).string());
  }
  void Open(const QString& path) { window_->OpenBinaryFile(true, path); }
  QString OpenChanged() {  // an image with a change in memory
    const QString path = Write(TestImage(32768, 0x8D).StoredChecksum(0));
    Open(path);
    window_->images().gobjBIN().PutPEModifier_RPM(1, 99);
    boxes_.shown.clear();
    NewLog();
    return path;
  }
  std::uint8_t FileByte(const QString& path, std::size_t offset) { return test::ReadFile(path.toStdString())[offset]; }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    boxes_ = test::ScriptedMessageBoxes();
    tables_.broken = false;
    mark_ = 0;
    MainWindowServices services;
    services.boxes = &boxes_;
    services.keys = &keys_;
    services.patchTables = &tables_;
    services.clock = [] { return QDateTime(QDate(2026, 12, 5), QTime(21, 8, 44)); };
    services.locale = QLocale("en_US");
    services.nativeFileDialog = false;
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }

  void cleanup() {
    window_.reset();
    dir_.reset();
  }

  void startsWithTheBannerAndNoImage() {
    QCOMPARE(NewLog(), (QStringList{"Brenholt - Binary File Utility:  Vantorix",
                                    "Copyright (C) 2026 The Vantorix developers. All rights reserved.",
                                    "--------------------------------- Starting Vantorix "
                                    "---------------------------------------",
                                    "Brenholt - Binary File Utility:  Vantorix  Version: 1.0.1",
                                    "Using Corvennis' WideBand Hacs (https://corvennis.example.org/wideband/).",
                                    "Initial Directory = ''.", "Backup BIN = True", "Backup Compare BIN = False"}));
    QCOMPARE(LogList().item(0)->text().left(kTime.size()), kTime);
    QCOMPARE(LogList().currentRow(), 7);
    QCOMPARE(Menus(), kNoImageMenus);
    QCOMPARE(Panels(), kNoImagePanels);
    QCOMPARE(Bar("mssbVarious").PanelText(7), "  9:08 PM,  12/05/2026  ");
    QVERIFY(Window().findChild<QProgressBar*>("ProgressBar1")->isHidden());
    QVERIFY(boxes_.shown.isEmpty());
  }

  void opensAn8DOr6EImageAndShowsItsIdentity() {
    NewLog();
    for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}}) {
      const QString path = Write(TestImage(32768, mask).PromId(4613).StoredChecksum(0x0A5F));
      Open(path);
      QCOMPARE(NewLog(),
               (QStringList{"Opening binary file: " + path, "Original BIN backed up as: " + path + ".org",
                            "Reading BIN to array...", "Binary read complete.", "File opened successfully."}));
      QCOMPARE(Panels(), "Current BIN: " + path + "|Mask (hex): " + (mask == 0x8D ? "8D" : "6E") +
                             "|ID (dec): 4613|CSUM (hex): 0A5F");
      QCOMPARE(Menus(), "Binary 1 Open 1 Close 1 Save 1");
    }
    QVERIFY(boxes_.shown.isEmpty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void refusesA32ImageAfterClosingItAgain() {
    const QString path = Write(TestImage(32768, 0x32));
    NewLog();
    Open(path);
    QCOMPARE(NewLog().mid(4),
             (QStringList{"File opened successfully.", "Closing current binary file: " + path, "Binary file Closed.",
                          "Closing binary compare file: N/A", "Binary file Closed."}));
    QCOMPARE(boxes_.shown, QStringList{"0 Vantorix: This program is only intended to be used with $8D and $6E.  Please "
                                       "choose a $8D or $6E file."});
    QCOMPARE(Menus(), kNoImageMenus);
    QCOMPARE(Panels(), kNoImagePanels);
  }

  void refusedAndMissingFilesLeaveTheBarsAsTheyWere() {
    Open(Write(TestImage(32768, 0x8D).PromId(77).StoredChecksum(1)));
    const QString panels = Panels();
    const QString odd = Write(TestImage(1000), "odd.bin");
    const QString missing = QString::fromStdString(dir_->File("gone.bin"));
    boxes_.shown.clear();
    NewLog();
    Open(odd);
    Open(missing);
    QCOMPARE(NewLog(), (QStringList{"Opening binary file: " + odd, "Original BIN backed up as: " + odd + ".org",
                                    "Invalid File Selected: " + odd, "File does not exist: " + missing}));
    QCOMPARE(boxes_.shown.mid(1), (QStringList{"48 File Access Error: You did not select a valid Binary (*.bin) file.  "
                                               "Please try again.",
                                               "48 File Access Error: File does not exist.  Please try again."}));
    QVERIFY(boxes_.shown[0].startsWith("16 File Size Error: Invalid File Size."));
    QCOMPARE(Panels(), panels);
    QCOMPARE(Menus(), "Binary 1 Open 1 Close 1 Save 1");
  }

  void theOpenDialogOpensTheChosenFileOrNothing() {
    QString title;
    QStringList filters;
    test::WhenModalShown<QFileDialog>([&](QFileDialog& dialog) {
      title = dialog.windowTitle();
      filters = dialog.nameFilters();
      dialog.reject();
    });
    NewLog();
    Window().mnuOpen_Click();
    QVERIFY(NewLog().isEmpty() && boxes_.shown.isEmpty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(title, "Open Binary");
    QCOMPARE(filters, QStringList{"Binary File (*.bin)"});

    const QString path = Write(TestImage(32768, 0x6E));
    test::WhenModalShown<QFileDialog>([&path](QFileDialog& dialog) {
      dialog.findChild<QLineEdit*>("fileNameEdit")->setText(path);  // typed, as a user would
      static_cast<QDialog&>(dialog).accept();
    });
    Window().mnuOpen_Click();
    QVERIFY(Panels().contains("Mask (hex): 6E"));
  }

  void droppingABinFileOpensIt() {
    const QString path = Write(TestImage(32768, 0x8D));
    QMimeData data, other;
    data.setUrls({QUrl::fromLocalFile(path)});
    other.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir_->File("notes.txt")))});
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &refused);
    QVERIFY(!refused.isAccepted());
    QDragEnterEvent offer(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &offer);
    QVERIFY(offer.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &drop);
    QVERIFY(Panels().contains("Mask (hex): 8D"));
    QVERIFY(QFile::exists(path + ".org"));
  }

  void saveWritesTheChecksumAndShowsIt() {
    const QString path = OpenChanged();
    Window().mnuSave_Click();
    TestImage expected = TestImage(32768, 0x8D).StoredChecksum(0).Byte(0x0617, 99);
    expected.CorrectChecksum();
    QCOMPARE(test::ReadFile(path.toStdString()), expected.Bytes());
    QCOMPARE(Bar("mssbVarious").PanelText(3),
             "CSUM (hex): " + QString::number(expected.ExpectedChecksum(), 16).toUpper());
    QCOMPARE(NewLog(), (QStringList{"Saving Current BIN: " + path + "...", "Current BIN Saved."}));
    QVERIFY(!Window().images().gobjBIN().Changed());
  }

  void closeAsksAboutChangesAndDoesWhatTheAnswerSays() {
    for (const MsgBoxResult answer : {MsgBoxResult::Yes, MsgBoxResult::No, MsgBoxResult::Cancel}) {
      const QString path = OpenChanged();
      boxes_.answers = {answer};
      Window().mnuClose_Click();
      QCOMPARE(boxes_.shown, QStringList{kSavePrompt + path});
      QCOMPARE(FileByte(path, 0x0617) == 99, answer == MsgBoxResult::Yes);
      QCOMPARE(Window().images().gobjBIN().FileOpened(), answer == MsgBoxResult::Cancel);
      QCOMPARE(NewLog().size(), answer == MsgBoxResult::Cancel ? 0 : 4);
    }
  }

  void closeWithoutChangesWritesFourLinesAndUnloadsOtherWindows() {
    const QString path = Write(TestImage(32768, 0x8D));
    Open(path);
    Window().mnuAbout_Click();
    QVERIFY(Window().findChild<QWidget*>("frmAbout")->isVisible());
    NewLog();
    Window().mnuClose_Click();
    QCOMPARE(NewLog(), (QStringList{"Exiting About.", "Closing current binary file: " + path, "Binary file Closed.",
                                    "Closing binary compare file: N/A", "Binary file Closed."}));
    QVERIFY(boxes_.shown.isEmpty());
    QCOMPARE(Panels(), kNoImagePanels);
    QCOMPARE(Menus(), kNoImageMenus);
  }

  void exitAsksAboutChangesAndAFailedSaveKeepsTheWindowOpen() {
    const QString path = OpenChanged();
    boxes_.answers = {MsgBoxResult::Cancel};
    Window().mnuExit_Click();
    QVERIFY(Window().isVisible());
    QCOMPARE(boxes_.shown, QStringList{kSavePrompt + path});

    std::filesystem::remove(path.toStdString());  // the save cannot succeed now
    boxes_.answers = {MsgBoxResult::Yes};
    QVERIFY(!Window().close());  // the window's close box takes the same road
    QVERIFY(boxes_.shown.last().startsWith("16 BIN File Error: Error in clsBINFile.SaveBIN"));

    const QString second = OpenChanged();
    boxes_.answers = {MsgBoxResult::Yes};
    QVERIFY(Window().close());
    QCOMPARE(FileByte(second, 0x0617), 99);
  }

  void exitIsRefusedWhileTheAfrGridIsOpen() {
    OpenChanged();
    auto* grid = new QWidget;
    grid->setObjectName("frmAFR");
    Window().mdiArea().addSubWindow(grid)->show();
    QVERIFY(!Window().close());
    QCOMPARE(boxes_.shown,
             QStringList{"0 Close AFR Screen: Please close the WOT PE AFR screen before exiting.  Choosing "
                         "OK will save your changes.  Choosing Cancel will undo your changes."});
  }

  void wideBandCommandsAskBeforeAStandInLogAndReportTheirOutcome_data() {
    QTest::addColumn<int>("mask");  // 0: no image open
    QTest::addColumn<bool>("add");
    QTest::addColumn<int>("answer");  // to the stand-in question
    QTest::addColumn<bool>("broken");
    QTest::addColumn<QStringList>("seen");  // new log lines, then the first line of each box
    const QString question = "52 Stand-in Patch Table: The %1 wideband patch table (built-in stand-in) is a stand-in, "
                             "not the published patch.";
    const int yes = static_cast<int>(MsgBoxResult::Yes);
    QTest::newRow("no image") << 0 << true << yes << false << QStringList{};
    QTest::newRow("8D add, Yes") << 0x8D << true << yes << false
                                 << QStringList{"Calling AddWBHackToBIN based on 8D",
                                                "Attempting to insert Corvennis' Wide Band hac for AXXC",
                                                "Finished calling AddWBHackToBIN Successfully.",
                                                "Wideband patch table used: built-in stand-in", question.arg("8D/AXXC"),
                                                "0 Success: WB Hac added to BIN successfully (AXXC).", "changed"};
    QTest::newRow("6E remove, Yes")
        << 0x6E << false << yes << false
        << QStringList{"Calling RemoveWBHackFromBIN based on 6E",
                       "Attempting to remove Corvennis' Wide Band hac for ARAP or APYP",
                       "516 bytes at 0x3D7C-0x3F7F were left as they are: their unpatched values are not in the "
                       "installed table.",
                       "Finished calling RemoveWBHackFromBIN Successfully.",
                       "Wideband patch table used: built-in stand-in", question.arg("6E"),
                       "0 Success: WB Hac removed from BIN successfully (ARAP or APYP).", "changed"};
    QTest::newRow("6E remove, No") << 0x6E << false << static_cast<int>(MsgBoxResult::No) << false
                                   << QStringList{"Calling RemoveWBHackFromBIN based on 6E",
                                                  "Attempting to remove Corvennis' Wide Band hac for ARAP or APYP",
                                                  "Finished calling RemoveWBHackFromBIN but was UNSUCCESSFULL.",
                                                  question.arg("6E"), "0 Failure: Error: WB Hac WAS NOT removed from BIN.",
                                                  "unchanged"};
    QTest::newRow("broken table") << 0x8D << true << yes << true
                                  << QStringList{"Calling AddWBHackToBIN based on 8D",
                                                 "Attempting to insert Corvennis' Wide Band hac for AXXC",
                                                 "Finished calling AddWBHackToBIN but was UNSUCCESSFULL.",
                                                 "16 BIN File Error: Error in clsBINFile.AddWBHackToBIN",
                                                 "0 Failure: Error: WB Hac WAS NOT added to BIN.", "unchanged"};
  }

  void wideBandCommandsAskBeforeAStandInLogAndReportTheirOutcome() {
    QFETCH(int, mask);
    QFETCH(bool, add);
    QFETCH(int, answer);
    QFETCH(bool, broken);
    QFETCH(QStringList, seen);
    const TestImage image = TestImage(32768, static_cast<std::uint8_t>(mask)).Axxc().StoredChecksum(0x1234);
    if (mask != 0) Open(Write(image));
    tables_.broken = broken;
    boxes_.answers = {static_cast<MsgBoxResult>(answer)};
    boxes_.shown.clear();
    NewLog();
    add ? Window().mnuWBAdd_Click() : Window().mnuWBRemove_Click();
    QStringList outcome = NewLog();
    for (const QString& box : boxes_.shown) outcome << box.section(u'\r', 0, 0);
    const auto bytes = Window().images().gobjBIN().Bytes();
    if (mask != 0) outcome << (std::ranges::equal(bytes, image.Bytes()) ? "unchanged" : "changed");
    QCOMPARE(outcome, seen);
    QCOMPARE(Window().images().gobjBIN().Changed(), seen.endsWith("changed"));
    if (mask != 0) QCOMPARE(Bar("mssbVarious").PanelText(3), "CSUM (hex): 1234");  // the checksum waits for the save
  }

  void resizeRulesWorkInTwips() {
    const auto wide = main_layout::ResizeRules(12000);
    QCOMPARE((QList<int>{wide.logListWidth, wide.pathPanelMinWidth, wide.timePanelMinWidth}),
             (QList<int>{11800, 11990, 11980}));
    QVERIFY(!main_layout::ResizeRules(199).logListResized && main_layout::ResizeRules(200).logListResized);
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    Window().resize(twips::ToPixels(12000, dpi), Window().height());
    const int outer = twips::FromPixels(Window().frameGeometry().width(), dpi);
    QTRY_COMPARE(LogList().width(), twips::ToPixels(outer - 200, dpi));
    QCOMPARE(Bar("mssbPaths").PanelMinWidthTwips(1), outer - 10);
    QCOMPARE(Bar("mssbVarious").PanelMinWidthTwips(7), outer - 20);
  }

  void keyPanelsFollowThePlatformOrTheKeysPressed() {
    StatusPanelBar& various = Bar("mssbVarious");
    QCOMPARE(various.PanelText(4) + various.Panel(4).toolTip(), "INSInsert Key Pressed");
    QVERIFY(various.Panel(5).isEnabled() && !various.Panel(6).isEnabled());  // the platform says Caps Lock is on
    QTest::keyClick(Window().windowHandle(), Qt::Key_NumLock);
    QTest::keyClick(Window().windowHandle(), Qt::Key_Insert);
    QVERIFY(various.Panel(6).isEnabled() && various.Panel(4).isEnabled());
    QTest::keyClick(Window().windowHandle(), Qt::Key_Insert);
    QVERIFY(!various.Panel(4).isEnabled());
  }

  void realMessageBoxesShowTheStylesIconAndButtons() {
    QtMessageBoxes real;
    QStringList seen;
    const auto press = [&seen](QMessageBox::StandardButton button) {
      test::WhenModalShown<QMessageBox>([&seen, button](QMessageBox& box) {
        seen << QString::number(box.icon()) + u' ' + QString::number(box.standardButtons()) + u' ' + box.text();
        box.button(button)->click();
      });
    };
    press(QMessageBox::No);
    QCOMPARE(real.Show(&Window(), "one\r\n\r\ntwo", MsgBoxStyle::YesNoCancelExclamation, "Save Changes"),
             MsgBoxResult::No);
    press(QMessageBox::Ok);
    QCOMPARE(real.Show(&Window(), "x", MsgBoxStyle::Critical, "BIN File Error"), MsgBoxResult::Ok);
    press(QMessageBox::Yes);
    QCOMPARE(real.Show(&Window(), "y", MsgBoxStyle::YesNoExclamation, "Stand-in Patch Table"), MsgBoxResult::Yes);
    QCOMPARE(seen,
             (QStringList{QString::number(QMessageBox::Warning) + u' ' +
                              QString::number(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) + " one\n\ntwo",
                          QString::number(QMessageBox::Critical) + u' ' + QString::number(QMessageBox::Ok) + " x",
                          QString::number(QMessageBox::Warning) + u' ' +
                              QString::number(QMessageBox::Yes | QMessageBox::No) + " y"}));
  }

  void anExceptionEscapingAnEventHandlerIsReported() {
    class Throwing : public QObject {
     public:
      bool event(QEvent*) override { throw RuntimeError(ErrorNumber::Overflow, "in a handler"); }
    } throwing;
    auto* application = qobject_cast<VantorixApplication*>(QCoreApplication::instance());
    application->SetReportWindow(&Window());
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&throwing, &event);
    application->SetReportWindow(nullptr);
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(boxes_.shown[0].startsWith("16 Fennimar Error: Error in Vantorix."));
    QVERIFY(boxes_.shown[0].contains("Error Number: 6\r\nError Description: Overflow (in a handler)"));
  }

  void logTimesUseTheLocaleWithoutTimeZone() {
    QCOMPARE(LongTimeText(QTime(21, 8, 44), QLocale("en_US")), "9:08:44 PM");
    QCOMPARE(LongTimeText(QTime(9, 8, 44), QLocale("de_DE")), "09:08:44");
    const QDateTime moment(QDate(2026, 12, 4), QTime(21, 5));
    QCOMPARE(StartTimeText(moment, QLocale("en_US")), "  9:05 PM,  12/04/2026  ");
    QCOMPARE(StartTimeText(moment, QLocale("de_DE")), "  9:05 PM,  12.04.2026  ");
    QCOMPARE(StartTimeText(moment, QLocale::c()), "  9:05 PM,  12/04/2026  ");
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmMain.moc"
