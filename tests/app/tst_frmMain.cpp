#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <fstream>
#include <thread>

#include "MainWindowFixture.h"
#include "app/StatusPanelBar.h"
#include "app/VantorixApplication.h"
#include "help/HelpTexts.h"
#include "wbpatch/TableSource.h"

using namespace vantorix;
using test::TestImage;
using B = QMessageBox;

namespace {

const QString kNoImage =
    "Current BIN: N/A|Mask (hex): N/A|ID (dec): N/A|CSUM (hex): N/A|Binary 0 Open 1 Close 0 Save 0|Vantorix";

// The images the rows open; only the 6E one, which the wideband patch is removed from,
// stores the right checksum; the patch is added to an AXXC image. A save stores 99 as the
// first RPM modifier.
TestImage Image(const QString& kind) {
  if (kind == "6E" || kind.startsWith("remove")) return TestImage(32768, 0x6E).PromId(4613).CorrectChecksum();
  if (kind.startsWith("add")) return TestImage(32768, 0x8D).PromId(4613).StoredChecksum(0x0A5F).Axxc();
  if (kind == "32") return TestImage(32768, 0x32);
  if (kind.endsWith("1000 bytes")) return TestImage(1000);
  const TestImage image = TestImage(32768, 0x8D).PromId(4613).StoredChecksum(0x0A5F);
  return kind.startsWith("save") ? TestImage(image).Byte(TestImage::kRpm8D, 99) : image;
}

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
  test::MainWindowFixture f_;
  TestTables tables_;
  int logged_ = 0;
  QStringList progress_;  // the values the progress bar took

  // All a user sees after a step: the new log lines, the boxes shown, the progress bar's
  // values, then the identity panels, the menus, the title bar and Edit > Undo while it
  // names a step, in one line.
  QStringList State() {
    auto& paths = *f_.window->findChild<StatusPanelBar*>("mssbPaths");
    auto& various = *f_.window->findChild<StatusPanelBar*>("mssbVarious");
    // The path as a screen reader takes it from the panel: a name in markup is shown, not obeyed.
    QStringList bars{QAccessible::queryAccessibleInterface(&paths.Panel(1))->text(QAccessible::Name),
                     various.PanelText(1), various.PanelText(2), various.PanelText(3)};
    for (const char* name : {"mnuBinaryAction", "mnuOpen", "mnuClose", "mnuSave"})
      bars << QString(name).mid(3).remove("Action") + u' ' +
                  QString::number(f_.window->findChild<QAction*>(name)->isEnabled());
    QStringList seen = f_.Log(logged_);
    logged_ += static_cast<int>(seen.size());
    seen += std::exchange(f_.boxes.shown, {});
    if (!progress_.isEmpty()) seen << "progress " + std::exchange(progress_, {}).join(u' ');
    const QAction& undo = *f_.window->findChild<QAction*>("mnuUndo");
    return seen << bars.mid(0, 4).join(u'|') + u'|' + bars.mid(4).join(u' ') + u'|' + f_.Title() +
                       (undo.isEnabled() ? u' ' + undo.text().remove(u'&') : QString());
  }
  void Open(const QString& path) { f_.window->OpenBinaryFile(true, path); }
  QString OpenChanged() {  // an image with a change in memory
    const QString path = f_.Write(Image("8D"), "first.bin");
    Open(path);
    f_.window->images().gobjBIN().PutPEModifier_RPM(1, 99);
    State();
    return path;
  }

 private slots:
  void init() {
    logged_ = 0;
    progress_.clear();
    QVERIFY(f_.Start(&tables_, QLocale("de_DE")));  // a locale whose dates are not written with '/'
    connect(f_.window->findChild<QProgressBar*>("ProgressBar1"), &QProgressBar::valueChanged,
            [this](int value) { progress_ << QString::number(value); });
    QCOMPARE(State().mid(8), QStringList{kNoImage});  // after the banner
  }
  void cleanup() { f_.Stop(); }

  void openingShowsTheImageOrLeavesTheWindowAsItWas_data() {
    QTest::addColumn<QString>("before");  // the image open before: none, "8D", "changed 8D", or the row's own ("it")
    // an Image() kind to open, "missing", the first file again ("same"), a save, or adding or removing the wideband
    // patch, answering the question about a stand-in table
    QTest::addColumn<QString>("file");
    // What follows, State(), is kept whole in expected/.
    const auto row = [](const char* name, const char* before, const char* file) {
      QTest::newRow(name) << QString(before) << QString(file);
    };
    row("8D, checksum wrong", "", "8D");
    row("6E, a name in markup, not UTF-8", "", "6E");
    row("32: closed again", "", "32");
    row("refused after changes", "changed 8D", "1000 bytes");
    row("reads fail: their reports, nothing after", "", "8D, reads fail");
    row("given on the command line, with two more", "", "8D given");
    row("missing", "8D", "missing");
    row("same file again, changes dropped", "changed 8D", "same");
    row("same file, refused now", "8D", "same, now 1000 bytes");
    row("add without an image", "", "add, Yes");
    row("add to AXXC, Yes", "it", "add, Yes");
    row("remove from 6E, Yes", "it", "remove, Yes");
    row("remove from 6E, No", "it", "remove, No");
    row("add, the table broken", "it", "add, broken table, Yes");
    // Once the new image has the file's name the save has happened, whatever the folder's
    // flush says after it: saved, no longer changed, and the flush named.
    row("save: the folder flush fails", "changed 8D", "save");
  }
  void openingShowsTheImageOrLeavesTheWindowAsItWas() {
    QFETCH(QString, before);
    QFETCH(QString, file);
    const QString first = before == "8D" || before == "it"
                              ? f_.Write(Image(before == "it" ? file : before), "first.bin")
                          : before.isEmpty() ? ""
                                             : OpenChanged();
    if (before == "8D" || before == "it") Open(first);
    State();
    const QString path = file == "missing"                           ? QString::fromStdString(f_.dir->File("gone.bin"))
                         : file.startsWith("same") || file == "save" ? first
                         : file == "6E"
                             ? QFile::decodeName(Image(file).WriteTo(f_.dir->Path() / "<i>caf\xE9.bin").c_str())
                             : f_.Write(Image(file), "cal.bin");
    if (file.endsWith("now 1000 bytes")) f_.Write(Image(file), "first.bin");
    f_.boxes.script.answers = {file.endsWith("Yes") ? MsgBoxResult::Yes : MsgBoxResult::No};
    tables_.broken = file.contains("broken");
    if (file.endsWith("reads fail")) f_.faulty.readError = EIO;
    if (file == "save") f_.faulty.folderSyncError = EIO;
    if (file.startsWith("add") || file.startsWith("remove"))
      file.startsWith("add") ? f_.window->mnuWBAdd_Click() : f_.window->mnuWBRemove_Click();
    else if (file.endsWith("given"))  // as main() passes them, opened once the event loop runs
      f_.window->OpenGivenFiles({path, "two.bin", "three.bin"}), QCoreApplication::processEvents();
    else
      file == "save" ? test::Ctrl(f_.window.get(), Qt::Key_S) : Open(path);
    QStringList seen = State();
    if (file.startsWith("add") || file.startsWith("remove"))  // the boxes' first lines: the tables' offsets follow
      for (QString& line : seen) line = line.section(u'\r', 0, 0);
    const auto [shown, kept] = test::Golden("app", seen, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);
  }

  void saveAsMakesTheChosenFileTheImageAndLeavesTheFirstAsItWas_data() {
    // The name typed in the dialog, and how the test goes on: "No" to replacing old.bin (else Yes), "held": old.bin
    // locked by another program.
    QTest::addColumn<QString>("typed");
    // What follows, State() and the folder's files and which are locked, is kept whole in expected/.
    QTest::newRow("new, its suffix added") << "new";
    QTest::newRow("existing, Yes") << "old.bin";
    QTest::newRow("existing, No") << "old.bin No";
    QTest::newRow("its backup") << "first.bin.org";
    QTest::newRow("existing, locked by another program") << "old.bin held";
  }
  void saveAsMakesTheChosenFileTheImageAndLeavesTheFirstAsItWas() {
    QFETCH(QString, typed);
    const std::filesystem::path folder = f_.dir->Path();
    const QString first = f_.Write(Image("8D"), "first.bin");
    // An hour old: a write, even of the same bytes, would show in its time.
    const auto time = std::filesystem::last_write_time(folder / "first.bin") - std::chrono::hours(1);
    std::filesystem::last_write_time(folder / "first.bin", time);
    std::ofstream(folder / "old.bin") << "old";
    Open(first);
    f_.window->images().gobjBIN().PutPEModifier_RPM(1, 99);
    State();
    auto held = typed.endsWith("held") ? RealFileSystem().OpenReadWrite(f_.dir->File("old.bin")) : nullptr;
    f_.boxes.script.answers = {typed.endsWith("No") ? MsgBoxResult::No : MsgBoxResult::Yes};
    test::WhenModalShown<QFileDialog>([typed](QFileDialog& dialog) {
      dialog.findChild<QLineEdit*>("fileNameEdit")->setText(typed.section(u' ', 0, 0));
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::keyClick(f_.window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QStringList seen = State();
    for (QString& line : seen) line = line.section(u'\r', 0, 0);  // the first line of the error report
    held.reset();
    QStringList files, locked;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
      const auto bytes = test::ReadFile(folder / name.toStdString());
      files << name + u' ' +
                   (bytes == Image("8D").Bytes()                       ? "first"
                    : bytes == Image("save").CorrectChecksum().Bytes() ? "saved"
                                                                       : "old");
      try {
        RealFileSystem().OpenReadWrite(f_.dir->File(name.toStdString()));
      } catch (const RuntimeError&) {
        locked << name;
      }
    }
    seen << files.join(", ") + "|locked " + locked.join(u' ');
    QCOMPARE(std::filesystem::last_write_time(folder / "first.bin"), time);
    const auto [shown, kept] = test::Golden("app", seen, folder.c_str());
    QCOMPARE(shown, kept);
  }

  // Each opened from its menu twice, closed by OK and then by the frame; About logs both.
  void eachHelpWindowShowsItsTextAndLogsAsItSays() {
    const std::map<QString, QStringList> pieces{
        // the window's title, then text found in this order in its labels
        {"About", {"\nVantorix\n", "Version 1.0.1", "AFR_CONSTANT / (RPM Modifier + Coolant Modifier + 128)"}},
        {"Instructions",  // its first and last lines
         {"Description:\n1. This program only works with $8D and $6E binary files", "please see 'Help->About'."}}};
    f_.window->move(20, 0);  // off the screen's centre, with room around it for either window centred on it
    for (const auto& [window, expected] : pieces)
      for (const bool byOk : {true, false}) {
        f_.window->findChild<QAction*>("mnu" + window)->trigger();
        auto* shown = f_.window->findChild<QWidget*>("frm" + window);
        QVERIFY(shown != nullptr && shown->isVisible());
        QCOMPARE(shown->windowTitle(), window);
        const QPoint off = shown->frameGeometry().center() - f_.window->frameGeometry().center();
        QVERIFY2(off.manhattanLength() <= 1, "opens centred on the main window");
        QString text;
        for (const QLabel* label : shown->findChildren<QLabel*>()) text += label->text() + u'\n';
        for (const QString& piece : expected) {
          QVERIFY2(text.contains(piece), qPrintable(piece));
          text = text.section(piece, 1, -1);
        }
        byOk ? shown->findChild<QPushButton*>("cmdOK")->click() : void(shown->close());
        QTRY_VERIFY(f_.window->findChild<QWidget*>("frm" + window) == nullptr);
      }
    QCOMPARE(f_.Log(logged_), QStringList({"Viewing About.", "Exiting About.", "Viewing About.", "Exiting About."}));
    QCOMPARE(QString::fromStdString(help::VersionText(1, 0, 12)), "Version 1.0.12");
  }

  // The window as it starts, in its locale's formats: the first log line, the start time
  // (its date always month first), the key panels as Insert, Caps Lock, Num Lock and Insert
  // are pressed, the menus, the column of bars (each one's top and bottom, from the nearer
  // end of the column), the log list, and the window's size and name.
  void startsWithItsMenusBarsAndTimes() {
    auto& various = *f_.window->findChild<StatusPanelBar*>("mssbVarious");
    QStringList seen{f_.window->findChild<QListWidget*>("lstLog")->item(0)->text(), various.PanelText(7), "keys"};
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_Insert}) {
      QTest::keyClick(f_.window->windowHandle(), key);
      seen.last() += u' ';
      for (const int panel : {4, 5, 6}) seen.last() += various.Panel(panel).isEnabled() ? u'1' : u'0';
    }
    for (const QAction* menu : f_.window->menuBar()->actions()) {
      seen << menu->text() + u':';
      for (const QAction* item : menu->menu()->actions())
        seen.last() += u' ' + (item->objectName() + u' ' + item->shortcut().toString()).trimmed();
    }
    QWidget& column = *f_.window->centralWidget();
    const auto edge = [&](int y) { return QString::number(y > column.height() / 2 ? y - column.height() : y); };
    for (int i = 0; i < column.layout()->count(); ++i) {
      QWidget& bar = *column.layout()->itemAt(i)->widget();
      seen << bar.objectName() + u' ' +
                  (bar.isHidden() ? "hidden" : edge(bar.y()) + u' ' + edge(bar.geometry().bottom() + 1));
      int right = 0;  // a status bar's panels lie side by side from its left edge
      if (auto* panels = qobject_cast<StatusPanelBar*>(&bar))
        for (int p = 1; p <= panels->PanelCount(); ++p)
          right = panels->Panel(p).x() == right ? right + panels->Panel(p).width() : -1;
      if (right < 0 || right > bar.width()) seen.last() += " with its panels out of place";
    }
    // Squeezed below its design, a bar's panels give up their spare room, never their text.
    various.resize(400, various.height());
    for (int p = 1; p <= various.PanelCount(); ++p)
      if (various.Panel(p).width() < various.Panel(p).fontMetrics().horizontalAdvance(various.PanelText(p)))
        seen << various.PanelText(p) + " cut";
    auto& lines = *f_.window->findChild<QListWidget*>("lstLog");
    const QRect log = lines.geometry();
    seen << QString("log %1 %2 %3 %4").arg(log.x()).arg(log.y()).arg(log.width()).arg(log.height());
    QCoreApplication::processEvents();  // as the loop turns, the newest line is selected alone and brought into view
    const QList<QListWidgetItem*> selected = lines.selectedItems();
    seen << (selected == QList{lines.item(lines.count() - 1)} &&
                     lines.viewport()->rect().contains(lines.visualItemRect(selected[0]))
                 ? "the newest line alone selected, in view"
                 : "the newest line not selected alone, or out of view");
    // 10850 x 9050 twips at 96 DPI are 723 x 603 pixels: too tall for the 500 of the screen,
    // less the 2 + 2 of the frame. Shown whole, the log and the status bar are on it too.
    QVERIFY(f_.window->screen()->availableGeometry().contains(f_.window->frameGeometry()));
    seen << QString("%1x%2 ").arg(f_.window->width()).arg(f_.window->height()) +
                QGuiApplication::applicationDisplayName();
    const auto [shown, kept] = test::Golden("app", seen, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);  // the log: 50, 75, 10705 (the window's 10905 less 200) and 735 twips
  }

  // Started with the status bar and the log switched off, the child-window area takes their room.
  void startsWithoutTheBarsItsSettingsSwitchOff() {
    Settings settings = InitializeSettings();
    settings.gblnShowStatusBar = settings.gblnShowLog = false;
    f_.Stop();
    QVERIFY(f_.Start(&tables_, QLocale("de_DE"), settings));
    const QWidget& column = *f_.window->centralWidget();
    QCOMPARE(QList<int>({f_.window->findChild<QWidget*>("mssbVarious")->isVisible(),
                         f_.window->findChild<QWidget*>("pbLog")->isVisible(),
                         f_.window->findChild<QWidget*>("mdiArea")->geometry().bottom() + 1 - column.height()}),
             QList<int>({0, 0, 0}));
  }

  // Real boxes of each style, answered by Return and then by Escape: the icon and the
  // buttons shown, then the answer to each key.
  void realBoxesShowTheIconAndButtonsOfTheirStyle() {
    QStringList seen;
    for (const MsgBoxStyle style : {MsgBoxStyle::OkOnly, MsgBoxStyle::Critical, MsgBoxStyle::Exclamation,
                                    MsgBoxStyle::YesNoCancelExclamation, MsgBoxStyle::YesNoExclamation}) {
      seen << QString::fromStdString(test::StyleName(style)) + u':';
      for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        test::WhenModalShown<QMessageBox>([&seen, key](QMessageBox& box) {
          const QString icon = QMetaEnum::fromType<B::Icon>().valueToKey(box.icon());
          QString buttons = QMetaEnum::fromType<B::StandardButtons>().valueToKeys(box.standardButtons());
          if (key == Qt::Key_Return) seen.last() += u' ' + icon + u' ' + buttons.remove("|FirstButton");
          QTest::keyClick(&box, key);
        });
        const MsgBoxResult answer = QtMessageBoxes().Show(f_.window.get(), "text", style, "title");
        seen.last() += QStringList{"", ", Ok", ", Cancel", "", "", "", ", Yes", ", No"}.value(static_cast<int>(answer));
      }
    }
    const auto [shown, kept] = test::Golden("app", seen, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);
  }

  // A wait on the disk that outlasts a frame has the bar and the newest log line painted
  // while it lasts; one that ends within the frame leaves them to the loop. What the wait
  // throws comes out of it.
  void aWaitOutlastingAFrameShowsWhatItWaitsFor() {
    struct Paints : QObject {
      int count = 0;
      bool eventFilter(QObject*, QEvent* event) override { return count += event->type() == QEvent::Paint, false; }
    } bar, log;
    f_.window->findChild<QProgressBar*>("ProgressBar1")->installEventFilter(&bar);
    f_.window->findChild<QListWidget*>("lstLog")->viewport()->installEventFilter(&log);
    Shell& shell = f_.window->shell();
    for (const int milliseconds : {0, 60}) {
      QCoreApplication::processEvents();
      shell.WriteLog("Reading BIN to array...");
      shell.ShowProgress();
      bar.count = log.count = 0;
      QElapsedTimer waited;
      waited.start();
      shell.WaitFor([milliseconds] { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });
      const int expected = milliseconds > 0;
      // A machine busy enough to stretch even the short wait past the frame may paint it.
      if (expected || waited.elapsed() < 15) QCOMPARE(QList({bar.count, log.count}), QList({expected, expected}));
      shell.HideProgress();
    }
    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             shell.WaitFor([] { throw RuntimeError(ErrorNumber::DeviceIOError, "the disk"); }));
  }

  void anExceptionEscapingAnEventHandlerIsReported() {
    struct Throwing : QWidget {  // reported with the window it belongs to as its module
      using QWidget::QWidget;
      bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw RuntimeError(ErrorNumber::Overflow, "in a handler");
        return QWidget::event(event);
      }
    } throwing(f_.window.get());
    auto* application = qobject_cast<VantorixApplication*>(QCoreApplication::instance());
    application->SetReportWindow(f_.window.get());
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&throwing, &event);
    application->SetReportWindow(nullptr);
    QCOMPARE(f_.boxes.shown, QStringList{"Critical Fennimar Error: Error in frmMain.QWidget event 1000\r\n\r\nError "
                                         "Number: 6\r\nError Description: Overflow (in a handler)\r\nError Source: "
                                         "Vantorix"});
  }
};

int main(int argc, char** argv) {
  // A screen lower than the window's design, as a laptop's at 200 % is.
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QT_TESTCASE_SOURCEDIR "/app/small-screen.json");
  VantorixApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmMain.moc"
