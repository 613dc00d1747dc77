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
using test::ScriptedMessageBoxes;
using test::TestImage;

namespace {

const QString kTime = QStringLiteral("9:08:44 PM, ");

class FakeKeys final : public KeyStates {
 public:
  std::optional<bool> caps = true;
  std::optional<bool> num;  // this platform cannot tell
  std::optional<bool> CapsLock() override { return caps; }
  std::optional<bool> NumLock() override { return num; }
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
  ScriptedMessageBoxes boxes_;
  FakeKeys keys_;
  TestTables tables_;
  std::unique_ptr<frmMain> window_;

  frmMain& Window() { return *window_; }
  QStringList Log() {
    QStringList lines;
    auto* list = window_->findChild<QListWidget*>(QStringLiteral("lstLog"));
    for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text().mid(kTime.size());
    return lines;
  }
  QStringList LogSinceStart() { return Log().mid(8); }
  bool Enabled(const char* action) {
    return window_->findChild<QAction*>(QString::fromLatin1(action))->isEnabled();
  }
  QString Panel(const char* bar, int number) {
    return window_->findChild<StatusPanelBar*>(QString::fromLatin1(bar))->PanelText(number);
  }
  std::string Write(const TestImage& image, const QString& name = QStringLiteral("cal.bin")) {
    return image.WriteTo(dir_->Path() / name.toStdString()).string();
  }
  void Open(const std::string& path) { window_->OpenBinaryFile(true, QString::fromStdString(path)); }
  // Opens an image and marks it changed.
  std::string OpenChanged() {
    const std::string path = Write(TestImage(32768, 0x8D).StoredChecksum(0));
    Open(path);
    window_->images().gobjBIN().PutPEModifier_RPM(1, 99);
    boxes_.boxes.clear();
    return path;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    boxes_ = ScriptedMessageBoxes();
    MainWindowServices services;
    services.boxes = &boxes_;
    services.keys = &keys_;
    tables_.broken = false;
    services.patchTables = &tables_;
    services.clock = [] { return QDateTime(QDate(2026, 12, 5), QTime(21, 8, 44)); };
    services.locale = QLocale(QStringLiteral("en_US"));
    services.nativeFileDialog = false;
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }

  void cleanup() {
    window_.reset();
    dir_.reset();
  }

  void startsWithTheBannerAndNoImage() {
    const QStringList expected{
        QStringLiteral("Brenholt - Binary File Utility:  Vantorix"),
        QStringLiteral("Copyright (C) 2026 The Vantorix developers. All rights reserved."),
        QStringLiteral("--------------------------------- Starting Vantorix ---------------------------------------"),
        QStringLiteral("Brenholt - Binary File Utility:  Vantorix  Version: 1.0.1"),
        QStringLiteral("Using Corvennis' WideBand Hacs (https://corvennis.example.org/wideband/)."),
        QStringLiteral("Initial Directory = ''."),
        QStringLiteral("Backup BIN = True"),
        QStringLiteral("Backup Compare BIN = False")};
    QCOMPARE(Log(), expected);
    auto* list = Window().findChild<QListWidget*>(QStringLiteral("lstLog"));
    QCOMPARE(list->item(0)->text().left(kTime.size()), kTime);
    QCOMPARE(list->currentRow(), 7);
    QVERIFY(!Enabled("mnuBinaryAction"));
    QVERIFY(Enabled("mnuOpen") && Enabled("mnuExit") && Enabled("mnuAbout") && Enabled("mnuInstructions"));
    QVERIFY(!Enabled("mnuClose") && !Enabled("mnuSave"));
    QCOMPARE(Panel("mssbPaths", 1), QStringLiteral("Current BIN: N/A"));
    QCOMPARE(Panel("mssbVarious", 1), QStringLiteral("Mask (hex): N/A"));
    QCOMPARE(Panel("mssbVarious", 2), QStringLiteral("ID (dec): N/A"));
    QCOMPARE(Panel("mssbVarious", 3), QStringLiteral("CSUM (hex): N/A"));
    QCOMPARE(Panel("mssbVarious", 7), QStringLiteral("  9:08 PM,  12/05/2026  "));
    QVERIFY(Window().findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isHidden());
    QVERIFY(boxes_.boxes.empty());
  }

  void showsTheIdentityOfAnOpened8DAnd6EImage() {
    for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}}) {
      const std::string path = Write(TestImage(32768, mask).PromId(4613).StoredChecksum(0x0A5F));
      const int before = static_cast<int>(Log().size());
      Open(path);
      const QString file = QString::fromStdString(path);
      QCOMPARE(Log().mid(before), (QStringList{QStringLiteral("Opening binary file: ") + file,
                                               QStringLiteral("Original BIN backed up as: ") + file + ".org",
                                               QStringLiteral("Reading BIN to array..."),
                                               QStringLiteral("Binary read complete."),
                                               QStringLiteral("File opened successfully.")}));
      QCOMPARE(Panel("mssbPaths", 1), QStringLiteral("Current BIN: ") + file);
      QCOMPARE(Panel("mssbVarious", 1), QStringLiteral("Mask (hex): ") + (mask == 0x8D ? "8D" : "6E"));
      QCOMPARE(Panel("mssbVarious", 2), QStringLiteral("ID (dec): 4613"));
      QCOMPARE(Panel("mssbVarious", 3), QStringLiteral("CSUM (hex): 0A5F"));
      QVERIFY(Enabled("mnuBinaryAction") && Enabled("mnuOpen") && Enabled("mnuClose") && Enabled("mnuSave"));
    }
    QVERIFY(boxes_.boxes.empty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void refusesA32ImageAfterClosingItAgain() {
    const std::string path = Write(TestImage(32768, 0x32));
    Open(path);
    QCOMPARE(LogSinceStart().mid(4), (QStringList{QStringLiteral("File opened successfully."),
                                                  QStringLiteral("Closing current binary file: ") +
                                                      QString::fromStdString(path),
                                                  QStringLiteral("Binary file Closed."),
                                                  QStringLiteral("Closing binary compare file: N/A"),
                                                  QStringLiteral("Binary file Closed.")}));
    QCOMPARE(boxes_.boxes.size(), 1U);
    QCOMPARE(boxes_.boxes[0].text, QStringLiteral("This program is only intended to be used with $8D and $6E.  "
                                                  "Please choose a $8D or $6E file."));
    QCOMPARE(boxes_.boxes[0].style, MsgBoxStyle::OkOnly);
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("Vantorix"));
    QVERIFY(!Enabled("mnuBinaryAction") && !Enabled("mnuClose") && !Enabled("mnuSave"));
    QCOMPARE(Panel("mssbVarious", 1), QStringLiteral("Mask (hex): N/A"));
  }

  void aRefusedFileLeavesTheStatusBarsAsTheyWere() {
    Open(Write(TestImage(32768, 0x8D).PromId(77)));
    const std::string odd = Write(TestImage(1000), QStringLiteral("odd.bin"));
    const int before = static_cast<int>(Log().size());
    boxes_.boxes.clear();
    Open(odd);
    const QString file = QString::fromStdString(odd);
    QCOMPARE(Log().mid(before), (QStringList{QStringLiteral("Opening binary file: ") + file,
                                             QStringLiteral("Original BIN backed up as: ") + file + ".org",
                                             QStringLiteral("Invalid File Selected: ") + file}));
    QCOMPARE(boxes_.boxes.size(), 2U);
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("File Size Error"));
    QCOMPARE(boxes_.boxes[1].text,
             QStringLiteral("You did not select a valid Binary (*.bin) file.  Please try again."));
    QCOMPARE(boxes_.boxes[1].style, MsgBoxStyle::Exclamation);
    QCOMPARE(boxes_.boxes[1].title, QStringLiteral("File Access Error"));
    QCOMPARE(Panel("mssbVarious", 2), QStringLiteral("ID (dec): 77"));
    QVERIFY(Enabled("mnuSave"));
  }

  void aMissingFileIsNamedInTheLog() {
    const QString missing = QString::fromStdString(dir_->File("gone.bin"));
    Window().OpenBinaryFile(true, missing);
    QCOMPARE(LogSinceStart(), QStringList{QStringLiteral("File does not exist: ") + missing});
    QCOMPARE(boxes_.boxes.size(), 1U);
    QCOMPARE(boxes_.boxes[0].text, QStringLiteral("File does not exist.  Please try again."));
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("File Access Error"));
    QCOMPARE(boxes_.boxes[0].style, MsgBoxStyle::Exclamation);
  }

  void theOpenDialogOpensTheChosenFileOrNothing() {
    QString title;
    QStringList filters;
    test::WhenModalShown<QFileDialog>([&](QFileDialog& dialog) {
      title = dialog.windowTitle();
      filters = dialog.nameFilters();
      dialog.reject();
    });
    Window().mnuOpen_Click();
    QVERIFY(LogSinceStart().isEmpty());
    QVERIFY(boxes_.boxes.empty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(title, QStringLiteral("Open Binary"));
    QCOMPARE(filters, QStringList{QStringLiteral("Binary File (*.bin)")});

    const std::string path = Write(TestImage(32768, 0x6E));
    test::WhenModalShown<QFileDialog>([&path](QFileDialog& dialog) {
      // Typed into the file name box, as a user would.
      dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(path));
      static_cast<QDialog&>(dialog).accept();
    });
    Window().mnuOpen_Click();
    QCOMPARE(Panel("mssbVarious", 1), QStringLiteral("Mask (hex): 6E"));
  }

  void droppingABinFileOpensIt() {
    const std::string path = Write(TestImage(32768, 0x8D));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent offer(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &offer);
    QVERIFY(offer.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &drop);
    QCOMPARE(Panel("mssbVarious", 1), QStringLiteral("Mask (hex): 8D"));
    QVERIFY(QFile::exists(QString::fromStdString(path) + ".org"));

    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir_->File("notes.txt")))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &enter);
    QVERIFY(!enter.isAccepted());
  }

  void saveWritesTheChecksumAndShowsIt() {
    const std::string path = OpenChanged();
    Window().mnuSave_Click();
    TestImage expected = TestImage(32768, 0x8D).StoredChecksum(0).Byte(0x0617, 99);
    expected.CorrectChecksum();
    QCOMPARE(test::ReadFile(path), expected.Bytes());
    QCOMPARE(Panel("mssbVarious", 3),
             QStringLiteral("CSUM (hex): ") + QString::number(expected.ExpectedChecksum(), 16).toUpper());
    QCOMPARE(LogSinceStart().mid(5), (QStringList{QStringLiteral("Saving Current BIN: ") +
                                                      QString::fromStdString(path) + "...",
                                                  QStringLiteral("Current BIN Saved.")}));
    QVERIFY(!Window().images().gobjBIN().Changed());
  }

  void closeAsksAboutChangesAndDoesWhatTheAnswerSays() {
    for (const MsgBoxResult answer : {MsgBoxResult::Yes, MsgBoxResult::No, MsgBoxResult::Cancel}) {
      const std::string path = OpenChanged();
      const auto before = test::ReadFile(path);
      boxes_.answers = {answer};
      Window().mnuClose_Click();
      QCOMPARE(boxes_.boxes.size(), 1U);
      QCOMPARE(boxes_.boxes[0].text, QStringLiteral("You have made changes to the current BIN.  Do you wish to save "
                                                    "these changes?\r\n\r\nCurrent BIN: ") +
                                         QString::fromStdString(path));
      QCOMPARE(boxes_.boxes[0].style, MsgBoxStyle::YesNoCancelExclamation);
      QCOMPARE(boxes_.boxes[0].title, QStringLiteral("Save Changes"));
      QCOMPARE(test::ReadFile(path)[0x0617] == 99, answer == MsgBoxResult::Yes);
      QCOMPARE(Window().images().gobjBIN().FileOpened(), answer == MsgBoxResult::Cancel);
      if (answer != MsgBoxResult::Yes) QCOMPARE(test::ReadFile(path), before);
    }
  }

  void closeWithoutChangesWritesFourLinesAndUnloadsOtherWindows() {
    const std::string path = Write(TestImage(32768, 0x8D));
    Open(path);
    Window().mnuAbout_Click();
    auto* about = Window().findChild<QWidget*>(QStringLiteral("frmAbout"));
    QVERIFY(about != nullptr && about->isVisible());
    const int before = static_cast<int>(Log().size());
    Window().mnuClose_Click();
    QCOMPARE(Log().mid(before), (QStringList{QStringLiteral("Exiting About."),
                                             QStringLiteral("Closing current binary file: ") +
                                                 QString::fromStdString(path),
                                             QStringLiteral("Binary file Closed."),
                                             QStringLiteral("Closing binary compare file: N/A"),
                                             QStringLiteral("Binary file Closed.")}));
    QVERIFY(boxes_.boxes.empty());
    QCOMPARE(Panel("mssbPaths", 1), QStringLiteral("Current BIN: N/A"));
    QVERIFY(!Enabled("mnuBinaryAction") && !Enabled("mnuClose"));
  }

  void exitAsksAboutChangesAndStaysOpenOnCancel() {
    OpenChanged();
    boxes_.answers = {MsgBoxResult::Cancel};
    Window().mnuExit_Click();
    QVERIFY(Window().isVisible());
    QCOMPARE(boxes_.boxes.size(), 1U);

    boxes_.answers = {MsgBoxResult::No};
    QVERIFY(Window().close());  // the window's close box takes the same road
    QVERIFY(!Window().isVisible());
  }

  void exitWithYesSavesAndAFailedSaveKeepsTheWindowOpen() {
    const std::string path = OpenChanged();
    std::filesystem::remove(path);  // the save cannot succeed now
    boxes_.answers = {MsgBoxResult::Yes};
    QVERIFY(!Window().close());
    QVERIFY(Window().isVisible());
    QCOMPARE(boxes_.boxes.back().title, QStringLiteral("BIN File Error"));

    const std::string second = OpenChanged();
    boxes_.answers = {MsgBoxResult::Yes};
    QVERIFY(Window().close());
    QCOMPARE(test::ReadFile(second)[0x0617], 99);
  }

  void exitIsRefusedWhileTheAfrGridIsOpen() {
    OpenChanged();
    auto* grid = new QWidget;
    grid->setObjectName(QStringLiteral("frmAFR"));
    Window().mdiArea().addSubWindow(grid)->show();
    QVERIFY(!Window().close());
    QCOMPARE(boxes_.boxes.size(), 1U);
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("Close AFR Screen"));
    QCOMPARE(boxes_.boxes[0].style, MsgBoxStyle::OkOnly);
    QVERIFY(boxes_.boxes[0].text.startsWith(QStringLiteral("Please close the WOT PE AFR screen before exiting.")));
  }

  void wideBandCommandsLogAndReportTheirOutcome() {
    Window().mnuWBAdd_Click();  // no image: not a word
    QVERIFY(LogSinceStart().isEmpty() && boxes_.boxes.empty());

    Open(Write(TestImage(32768, 0x8D).Axxc().StoredChecksum(0x1234)));
    const int before = static_cast<int>(Log().size());
    Window().mnuWBAdd_Click();
    QCOMPARE(Log().mid(before), (QStringList{QStringLiteral("Calling AddWBHackToBIN based on 8D"),
                                             QStringLiteral("Attempting to insert Corvennis' Wide Band hac for AXXC"),
                                             QStringLiteral("Finished calling AddWBHackToBIN Successfully.")}));
    QCOMPARE(boxes_.boxes.size(), 1U);
    QCOMPARE(boxes_.boxes[0].text, QStringLiteral("WB Hac added to BIN successfully (AXXC)."));
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("Success"));
    QCOMPARE(boxes_.boxes[0].style, MsgBoxStyle::OkOnly);
    const auto bytes = Window().images().gobjBIN().Bytes();
    QCOMPARE((std::vector<int>{bytes[0x4C9C], bytes[0x4C9D], bytes[0x4C9E]}), (std::vector<int>{0xBD, 0xA0, 0x00}));
    QVERIFY(Window().images().gobjBIN().Changed());
    QCOMPARE(Panel("mssbVarious", 3), QStringLiteral("CSUM (hex): 1234"));  // the checksum waits for the save

    Open(Write(TestImage(32768, 0x6E), QStringLiteral("six.bin")));
    boxes_.boxes.clear();
    Window().mnuWBRemove_Click();
    QCOMPARE(boxes_.boxes[0].text, QStringLiteral("WB Hac removed from BIN successfully (ARAP or APYP)."));
    QCOMPARE(Log().last(), QStringLiteral("Finished calling RemoveWBHackFromBIN Successfully."));

    tables_.broken = true;
    boxes_.boxes.clear();
    Window().mnuWBRemove_Click();
    QCOMPARE(Log().last(), QStringLiteral("Finished calling RemoveWBHackFromBIN but was UNSUCCESSFULL."));
    QCOMPARE(boxes_.boxes.size(), 2U);
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("BIN File Error"));
    QCOMPARE(boxes_.boxes[1].text, QStringLiteral("Error: WB Hac WAS NOT removed from BIN."));
    QCOMPARE(boxes_.boxes[1].title, QStringLiteral("Failure"));
  }

  void resizeRulesWorkInTwips() {
    const auto wide = main_layout::ResizeRules(12000);
    QCOMPARE(wide.logListWidth, 11800);
    QCOMPARE(wide.pathPanelMinWidth, 11990);
    QCOMPARE(wide.timePanelMinWidth, 11980);
    QVERIFY(!main_layout::ResizeRules(199).logListResized);
    QVERIFY(main_layout::ResizeRules(200).logListResized);

    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    Window().resize(twips::ToPixels(12000, dpi), Window().height());
    QTRY_COMPARE(Window().findChild<QListWidget*>(QStringLiteral("lstLog"))->width(),
                 twips::ToPixels(twips::FromPixels(Window().frameGeometry().width(), dpi) - 200, dpi));
    auto* paths = Window().findChild<StatusPanelBar*>(QStringLiteral("mssbPaths"));
    QCOMPARE(paths->PanelMinWidthTwips(1), twips::FromPixels(Window().frameGeometry().width(), dpi) - 10);
  }

  void keyPanelsFollowThePlatformOrTheKeysPressed() {
    auto* various = Window().findChild<StatusPanelBar*>(QStringLiteral("mssbVarious"));
    QCOMPARE(various->PanelText(4), QStringLiteral("INS"));
    QCOMPARE(various->Panel(4).toolTip(), QStringLiteral("Insert Key Pressed"));
    QVERIFY(various->Panel(5).isEnabled());  // the platform says Caps Lock is on
    QVERIFY(!various->Panel(6).isEnabled());
    QTest::keyClick(Window().windowHandle(), Qt::Key_NumLock);
    QTest::keyClick(Window().windowHandle(), Qt::Key_Insert);
    QVERIFY(various->Panel(6).isEnabled());
    QVERIFY(various->Panel(4).isEnabled());
    QTest::keyClick(Window().windowHandle(), Qt::Key_Insert);
    QVERIFY(!various->Panel(4).isEnabled());
  }

  void realMessageBoxesShowTheStylesIconAndButtons() {
    QtMessageBoxes real;
    QMessageBox::Icon icon{};
    QMessageBox::StandardButtons buttons;
    QString text;
    test::WhenModalShown<QMessageBox>([&](QMessageBox& box) {
      icon = box.icon();
      buttons = box.standardButtons();
      text = box.text();
      box.button(QMessageBox::No)->click();
    });
    QCOMPARE(real.Show(&Window(), QStringLiteral("line one\r\n\r\nline two"), MsgBoxStyle::YesNoCancelExclamation,
                       QStringLiteral("Save Changes")),
             MsgBoxResult::No);
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(text, QStringLiteral("line one\n\nline two"));

    test::WhenModalShown<QMessageBox>([&](QMessageBox& box) {
      icon = box.icon();
      buttons = box.standardButtons();
      box.accept();
    });
    QCOMPARE(real.Show(&Window(), QStringLiteral("x"), MsgBoxStyle::Critical, QStringLiteral("BIN File Error")),
             MsgBoxResult::Ok);
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  void anExceptionEscapingAnEventHandlerIsReported() {
    class Throwing : public QObject {
     public:
      bool event(QEvent*) override { throw RuntimeError(ErrorNumber::Overflow, "in a handler"); }
    } throwing;
    throwing.setObjectName(QStringLiteral("thrower"));
    auto* application = qobject_cast<VantorixApplication*>(QCoreApplication::instance());
    QVERIFY(application != nullptr);
    application->SetReportWindow(&Window());
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&throwing, &event);
    QCOMPARE(boxes_.boxes.size(), 1U);
    QVERIFY(boxes_.boxes[0].text.contains(QStringLiteral("Error Number: 6\r\n")));
    QCOMPARE(boxes_.boxes[0].title, QStringLiteral("Fennimar Error"));
    application->SetReportWindow(nullptr);
  }

  void logTimesUseTheLocaleWithoutTimeZone() {
    QCOMPARE(LongTimeText(QTime(21, 8, 44), QLocale(QStringLiteral("en_US"))), QStringLiteral("9:08:44 PM"));
    QCOMPARE(LongTimeText(QTime(9, 8, 44), QLocale(QStringLiteral("de_DE"))), QStringLiteral("09:08:44"));
    const QDateTime moment(QDate(2026, 12, 4), QTime(21, 5));
    QCOMPARE(StartTimeText(moment, QLocale(QStringLiteral("en_US"))), QStringLiteral("  9:05 PM,  12/04/2026  "));
    QCOMPARE(StartTimeText(moment, QLocale(QStringLiteral("de_DE"))), QStringLiteral("  9:05 PM,  12.04.2026  "));
    QCOMPARE(StartTimeText(moment, QLocale::c()), QStringLiteral("  9:05 PM,  12/04/2026  "));
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmMain.moc"
