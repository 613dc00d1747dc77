#include <fstream>

#include "MainWindowFixture.h"
#include "app/StatusPanelBar.h"
#include "app/VantorixApplication.h"
#include "editor/frmAFR.h"
#include "editor/frmNewAFR.h"
#include "wbpatch/TableSource.h"

using namespace vantorix;
using test::Ctrl;
using test::TestImage;
using B = QMessageBox;

namespace {

// Changes are made in the top-left cell (0 RPM, -40 °C), whose two modifiers are 0. The
// calibration as it is opened (its checksum right), then with those two modifiers changed.
TestImage Calibration(std::uint8_t rpm = 0, std::uint8_t coolant = 0) {
  return test::GridCalibration().Byte(TestImage::kRpm8D, rpm).Byte(TestImage::kCoolant8D, coolant);
}

QStringList Cells(int firstRow, int lastRow, int firstColumn, int lastColumn) {
  QStringList cells;
  for (int r = firstRow; r <= lastRow; ++r)
    for (int c = firstColumn; c <= lastColumn; ++c) cells << QString("%1,%2").arg(r).arg(c);
  return cells;
}

struct Answer {  // how the change dialog is answered
  QString typed;
  bool byCoolant = false;
  bool cancel = false;
  Qt::Key key = Qt::Key_unknown;  // pressed on the cell instead of a double-click
  bool help = false;              // the "?" button clicked first
};

}  // namespace

Q_DECLARE_METATYPE(Answer)

class AfrGridTest : public QObject {
  Q_OBJECT

 private:
  test::MainWindowFixture f_;
  wbpatch::BuiltInTables tables_;
  std::string path_;
  QStringList dialog_;  // what the change dialog showed, and where it left the focus

  frmAFR* Grid() { return f_.window->findChild<frmAFR*>("frmAFR"); }
  QTableWidget* Table() { return Grid()->findChild<QTableWidget*>("MSFlexGrid1"); }
  QString Cell(int row, int column) { return Table()->item(row, column)->text(); }
  QPushButton* Button(const char* name) { return Grid()->findChild<QPushButton*>(name); }
  // Every cell shown as changed (black on yellow) as "row,column".
  QStringList MarkedCells() {
    QStringList marked;
    for (const QString& cell : Cells(0, frmAFR::kRows - 1, 0, frmAFR::kColumns - 1))
      if (const auto* item = Table()->item(cell.section(u',', 0, 0).toInt(), cell.section(u',', 1).toInt());
          item->background() == QBrush(Qt::yellow) && item->foreground() == QBrush(Qt::black))
        marked << cell;
    return marked;
  }
  void Click(int row, int column, Qt::KeyboardModifiers keys = {}, bool twice = false) {
    const QPoint centre = Table()->visualItemRect(Table()->item(row, column)).center();
    QTest::mouseClick(Table()->viewport(), Qt::LeftButton, keys, centre);
    if (twice) QTest::mouseDClick(Table()->viewport(), Qt::LeftButton, keys, centre);
  }
  // Right-clicks the cell and chooses the item of that name from the context menu.
  bool ContextMenu(int row, int column, const QString& name) {
    QTimer::singleShot(0, [name] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      for (QAction* item : menu ? menu->actions() : QList<QAction*>{})
        if (item->objectName() == name)
          QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
      if (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
    });
    const QPoint at = Table()->visualItemRect(Table()->item(row, column)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Table()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Table()->viewport(), &event);
    return f_.Activate();  // offscreen, a closed menu leaves no window active
  }
  // Double-clicks the top-left cell (or presses the answer's key on it) and answers the
  // dialog with mouse clicks: the new log lines, then the boxes.
  QStringList Change(const Answer& answer) {
    const auto before = f_.Log().size();
    test::WhenModalShown<frmNewAFR>([this, answer](frmNewAFR& dialog) {
      dialog_.clear();
      const QLayout& choices = *dialog.findChild<QGroupBox*>("fraModifyAFRChoice")->layout();
      for (int i = 0; i < choices.count(); ++i)
        if (const QWidget* shown = choices.itemAt(i)->widget())
          dialog_ << shown->objectName() + u' ' + (shown->toolTip() + shown->property("text").toString());
      const auto cells = [this](int row, int column) {  // the cells from the changed one on, on the screen
        const QRect span =
            Table()->visualItemRect(Table()->item(2, 1)) | Table()->visualItemRect(Table()->item(row, column));
        return span.translated(Table()->viewport()->mapToGlobal(QPoint()));
      };  // the dialog clear of the row and the column the change may rewrite?
      const bool covers =
          dialog.frameGeometry().intersects(cells(2, 9)) || dialog.frameGeometry().intersects(cells(18, 1));
      dialog_ << dialog.findChild<QLabel*>("lblCurrentValue")->text() << (covers ? "covers" : "beside")
              << "focus " + dialog.focusWidget()->objectName();
      if (answer.help) QTest::mouseClick(dialog.findChild<QPushButton*>("Command1"), Qt::LeftButton);
      if (answer.byCoolant) QTest::mouseClick(dialog.findChild<QRadioButton*>("optCoolant"), Qt::LeftButton);
      QTest::keyClicks(dialog.findChild<QLineEdit*>("txtNewValue"), answer.typed);
      QTest::mouseClick(dialog.findChild<QPushButton*>(answer.cancel ? "cmdCancel" : "cmdOK"), Qt::LeftButton);
      if (dialog.isVisible()) dialog_ << "asked again, focus " + dialog.focusWidget()->objectName(), dialog.close();
    });
    Click(2, 1, {}, answer.key == Qt::Key_unknown);
    if (answer.key != Qt::Key_unknown) QTest::keyClick(Table(), answer.key);
    if (!f_.Activate()) return {"the main window stays inactive"};
    return f_.Log(static_cast<int>(before)) + std::exchange(f_.boxes.shown, {});
  }
  static QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "unread";
  }
  std::vector<std::uint8_t> ImageBytes() {
    const auto bytes = f_.window->images().gobjBIN().Bytes();
    return {bytes.begin(), bytes.end()};
  }
  // What became of the image: the file open; its first RPM and coolant modifiers in memory
  // and on the disk, where each image must be the whole calibration with those two (on the
  // disk with the checksum of its bytes); the grid with its yellow cells; the title bar.
  QString Outcome() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // a closed grid is gone
    const auto tables = [](const std::vector<std::uint8_t>& bytes, bool onDisk) -> QString {
      if (bytes.empty()) return "-";
      const std::uint8_t rpm = bytes[TestImage::kRpm8D], coolant = bytes[TestImage::kCoolant8D];
      TestImage whole = Calibration(rpm, coolant);  // in memory with whatever checksum it stores
      const auto& image = onDisk ? whole.CorrectChecksum() : whole.Byte(6, bytes[6]).Byte(7, bytes[7]);
      return bytes == image.Bytes() ? QString("%1/%2").arg(rpm).arg(coolant) : "garbled";
    };
    const auto disk = QFile::exists(path_.c_str()) ? test::ReadFile(path_) : std::vector<std::uint8_t>{};
    const QString file = QFileInfo(f_.window->images().gobjBIN().FilePath().c_str()).fileName();
    const auto* about = f_.window->findChild<QWidget*>("frmAbout");
    return QStringList{ImageBytes().empty() ? "no image" : file, tables(ImageBytes(), false), tables(disk, true),
                       !Grid()               ? "no grid"
                       : Grid()->isVisible() ? QString::number(MarkedCells().size()) + " yellow"
                                             : "a hidden grid",
                       !f_.window->isVisible()       ? "hidden"
                       : about && about->isVisible() ? f_.Title() + " About"
                                                     : f_.Title()}
        .join(u' ');
  }

 private slots:
  void init() {
    QTest::failOnWarning(QRegularExpression("QPainter"));  // a painter left unbalanced, say
    QVERIFY(f_.Start(&tables_));
    path_ = Calibration().WriteTo(f_.dir->Path() / "cal.bin");
    f_.window->OpenBinaryFile(false, QString::fromStdString(path_));
    Ctrl(f_.window.get(), Qt::Key_W);
    QVERIFY(Grid() != nullptr);
  }
  void cleanup() { f_.Stop(); }

  void aChangeRewritesItsRowOrColumnInYellowOrIsRefused_data() {
    // What follows, kept whole in expected/: the new log lines, the boxes, the cell, the yellow cells, then what
    // the dialog showed, and where it left the focus, the cell's colour and the current cell after a header click.
    QTest::addColumn<Answer>("answer");
    QTest::newRow("by RPM") << Answer{"13.5"};  // 3770.16.. / 13.5 - 128 = 151
    QTest::newRow("by coolant") << Answer{"13.5", true};
    QTest::newRow("Return, after the help") << Answer{"13.5", false, false, Qt::Key_Return, true};
    QTest::newRow("keypad Enter") << Answer{"13.5", false, false, Qt::Key_Enter};
    QTest::newRow("F2, by coolant") << Answer{"13.5", true, false, Qt::Key_F2};
    QTest::newRow("cancelled") << Answer{"14", false, true};
    QTest::newRow("the same value") << Answer{"29.45"};
    QTest::newRow("255") << Answer{"9.84376213805849"};
    QTest::newRow("256") << Answer{"9.81812734082396"};
    QTest::newRow("0") << Answer{"29.4543820224719"};
    QTest::newRow("-1") << Answer{"29.6863062903654"};
    // Only digits, the point and backspace pass; neither Enter nor Escape ends the dialog.
    QTest::newRow("keys refused") << Answer{"1a2,-3 .5x\r\x1b\b"};
    // Whatever can be solved is the solve's to refuse; only what cannot is the dialog's.
    QTest::newRow("0.5") << Answer{"0.5"};
    QTest::newRow("0.115") << Answer{"0.115"};                 // 32656.0078
    for (const char* text : {"", ".", "1.2.3", "0", "0.114"})  // 0: a division by zero; 0.114: 32943.587
      QTest::newRow(qPrintable(QString("'%1': not a target").arg(text))) << Answer{text};
  }
  void aChangeRewritesItsRowOrColumnInYellowOrIsRefused() {
    QFETCH(Answer, answer);
    QStringList seen = Change(answer) << Cell(2, 1);  // Change first: + leaves the order open
    seen += MarkedCells();
    const QRect cell = Table()->visualItemRect(Table()->item(2, 1));  // current: framed, not filled
    dialog_ << Table()->viewport()->grab().toImage().pixelColor(cell.right() - 5, cell.center().y()).name();
    Click(0, 0);  // a header cell never becomes current
    dialog_ << QString("current %1,%2").arg(Table()->currentRow()).arg(Table()->currentColumn());
    const auto [shown, kept] = test::Golden("editor", seen + dialog_, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);
  }

  // The grid window's title, captions, note and buttons, and no empty band at the grid's right;
  // then Ctrl+A and Ctrl+C, in the log and in the grid.
  void theGridShowsItsCaptionsAndSelectAllAndCopyKeepTheirMeaning() {
    QStringList read{Grid()->windowTitle()};
    for (const char* name : {"lblCoolant", "lblRPM", "lblNote"}) {
      const QLabel& label = *Grid()->findChild<QLabel*>(name);
      read << label.text() + (label.alignment() == Qt::AlignCenter ? " centred" : "");
    }
    const QRect ok = Button("cmdOK")->geometry(), cancel = Button("cmdCancel")->geometry();
    read << (ok.y() == cancel.y() && ok.right() < cancel.left() && ok.y() > Table()->mapTo(Grid(), QPoint()).y()
                 ? "OK, then Cancel, below the grid"
                 : "the buttons out of place");
    QCOMPARE(Table()->horizontalHeader()->length(), Table()->viewport()->width());
    auto* log = f_.window->findChild<QListWidget*>("lstLog");
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, log->visualItemRect(log->item(0)).center());
    Ctrl(log, Qt::Key_A);
    Ctrl(log, Qt::Key_C);
    QStringList lines;
    for (int row = 0; row < log->count(); ++row) lines << log->item(row)->text() + u'\n';
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(""));

    Click(10, 5);
    Click(11, 7, Qt::ControlModifier);
    Ctrl(Table(), Qt::Key_C);  // the rows and columns spanned, as spreadsheets paste them
    const QString spanned = Cell(10, 5) + "\t\t\n\t\t" + Cell(11, 7) + u'\n';
    QCOMPARE(QGuiApplication::clipboard()->text(), spanned);
    QGuiApplication::clipboard()->clear();
    QVERIFY(ContextMenu(11, 7, "mnuCopy"));  // the same through the context menu
    QCOMPARE(QGuiApplication::clipboard()->text(), spanned);
    Ctrl(Table(), Qt::Key_A);
    Ctrl(Table(), Qt::Key_C);                                                 // everything: the labels come along
    const QStringList t = QGuiApplication::clipboard()->text().split(u'\n');  // AFR: 3770.16.. / (128 + modifiers)
    const auto [shown, kept] = test::Golden("editor", read + t + QStringList{Outcome()}, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);  // Ctrl+A added no patch, nothing closed
  }

  // Each changed cell's tip names its modifiers and the AFR before the change. While the grid is open, Ctrl+Z and
  // Ctrl+Y take its yellow changes back and forth one by one; once it is closed, the image's steps, each giving back
  // exactly the bytes before or after it, changed unless the file holds just those. Each state: the bytes by name, the
  // yellow cells (pending while OK has some to write), the title, Undo|Redo (- when off);
  // Open empties the list.
  void undoAndRedoTakeTheGridsChangesThenTheImagesSteps() {
    f_.window->OpenBinaryFile(false, f_.Write(Calibration().Axxc().CorrectChecksum(), "wb.bin"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the grid of cal.bin
    Ctrl(f_.window.get(), Qt::Key_W);
    std::map<std::vector<std::uint8_t>, QString> named{{ImageBytes(), "opened"}};
    const auto action = [this](const char* name) {
      const auto* item = f_.window->findChild<QAction*>(name);
      return item->text().remove(u'&') + (item->isEnabled() ? "" : " -");
    };
    QStringList seen;
    const auto look = [&](const QString& name = {}) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // a closed grid is gone
      if (!name.isEmpty()) QVERIFY(named.emplace(ImageBytes(), name).second);
      const auto bytes = ImageBytes();  // the status bar shows the checksum they store
      const QString stored =
          "CSUM (hex): " + QString("%1").arg(bytes[6] * 256 + bytes[7], 4, 16, QChar(u'0')).toUpper();
      seen << named[bytes] + u' ' + QString::number(Grid() ? MarkedCells().size() : -1) +
                  (Grid() && Grid()->HasUnwrittenChanges() ? " pending " : " ") + f_.Title() + u' ' +
                  action("mnuUndo") + u'|' + action("mnuRedo") +
                  (f_.window->findChild<StatusPanelBar*>("mssbVarious")->PanelText(3) == stored ? "" : " stale");
    };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers keys = Qt::ControlModifier) {
      QTest::keyClick(Grid() ? static_cast<QWidget*>(Table()) : f_.window.get(), key, keys);
      look();
    };
    const auto logged = f_.Log().size();
    Change({"13.5"}), Change({"13", true});  // the 0 RPM row, then the -40 °C column
    // RPM modifier 151, then coolant modifier 3770.1608988764 / 13 - (151 + 128) = 11: each cell's tip
    QStringList tips;
    for (const QPoint cell : {QPoint(2, 1), QPoint(2, 2), QPoint(3, 1), QPoint(3, 2), QPoint(0, 1)})
      tips << Table()->item(cell.x(), cell.y())->toolTip();
    look();
    press(Qt::Key_Z), press(Qt::Key_Z), press(Qt::Key_Y);
    QTest::mouseClick(Button("cmdOK"), Qt::LeftButton);
    look("grid");
    Ctrl(f_.window.get(), Qt::Key_S);
    look("saved");
    f_.boxes.script.answers = {MsgBoxResult::Yes};  // the stand-in table
    Ctrl(f_.window.get(), Qt::Key_A);
    look("patched");
    press(Qt::Key_Z), press(Qt::Key_Z), press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), press(Qt::Key_Y);
    QStringList steps = f_.Log(static_cast<int>(logged)).filter(QRegularExpression("^(Undone|Redone): "));
    f_.boxes.script.answers = {MsgBoxResult::No};  // not saved
    f_.window->OpenBinaryFile(false, f_.Write(Calibration(), "other.bin"));
    look("other");
    const auto [shown, kept] = test::Golden("editor", tips + seen + steps, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);
  }

  void exportCsvWritesTheGridAsShownButNeverOverTheImage_data() {
    QTest::addColumn<QString>("typed");  // in the save dialog; nothing: Cancel
    QTest::addColumn<int>("answer");     // to the question whether to replace a file
    // boxes|new log lines|each file of the folder: the grid as shown, or as it was
    QTest::addColumn<QString>("outcome");
    const QString kept = "|cal.bin image, cal.bin.org image, old.csv old", done = "Target AFR grid exported to %1/";
    const int yes = int(MsgBoxResult::Yes);
    QTest::newRow("new") << "grid" << yes
                         << "|" + done + "grid.csv.|cal.bin image, cal.bin.org image, grid.csv grid, old.csv old";
    QTest::newRow("cancelled") << "" << yes << "|" + kept;
    QTest::newRow("existing, No") << "old.csv" << int(MsgBoxResult::No) << "Export CSV|" + kept;
    QTest::newRow("existing, Yes") << "old.csv" << yes
                                   << "Export CSV|" + done + "old.csv.|cal.bin image, cal.bin.org image, old.csv grid";
    QTest::newRow("the image") << "cal.bin" << yes << "Export CSV|" + kept;
    QTest::newRow("its backup") << "cal.bin.org" << yes << "Export CSV|" + kept;
  }
  void exportCsvWritesTheGridAsShownButNeverOverTheImage() {
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, outcome);
    Change({"13.5"});  // the working copies differ from the image
    Ctrl(Table(), Qt::Key_A);
    Ctrl(Table(), Qt::Key_C);
    const QByteArray grid = QGuiApplication::clipboard()->text().replace(u'\t', u',').replace("\n", "\r\n").toUtf8();
    const QString folder = f_.dir->Path().c_str();
    const QByteArray image = Contents(f_.Write(Calibration(), "cal.bin.org"));
    std::ofstream(f_.dir->Path() / "old.csv") << "old";
    f_.boxes.script.answers = {static_cast<MsgBoxResult>(answer)};
    QString dialog;
    test::WhenModalShown<QFileDialog>([typed, &dialog](QFileDialog& save) {
      dialog = save.objectName() + u' ' + save.windowTitle() + u' ' + save.nameFilters().join(u';');
      save.findChild<QLineEdit*>("fileNameEdit")->setText(typed);
      typed.isEmpty() ? save.reject() : static_cast<QDialog&>(save).accept();
    });
    const auto before = f_.Log().size();
    QVERIFY(ContextMenu(2, 1, "mnuExportCSV"));
    QStringList files;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
      const QByteArray bytes = Contents(folder + u'/' + name);
      files << name + u' ' + (bytes == grid ? "grid" : bytes == image ? "image" : bytes.left(8));
    }
    QCOMPARE(
        QStringList({dialog, f_.BoxTitles(), f_.Log(static_cast<int>(before)).join(u','), files.join(", ")}).join(u'|'),
        "dlgExportCSV Export CSV CSV File (*.csv)|" + outcome.replace("%1", folder));
  }

  void everyWayOfDroppingChangesAsksFirst_data() {
    // The way: the close button of the grid's frame, OK or Cancel on the grid, Ctrl+C for File > Close, Ctrl+X
    // for Exit, Ctrl+S for Save, Ctrl+O for File > Open and its dialog, a file dropped on the window, or opening
    // another image; "quietly": with no change in the grid; "after OK, ": the changes written back by OK first.
    // What follows, kept whole in expected/: box titles, the new log lines, Outcome(), the open dialog, a cursor
    // left busy; after OK, the grid reopened; after Ctrl+S, the checksum panel.
    QTest::addColumn<QString>("way");
    QTest::addColumn<QList<B::StandardButton>>("clicks");  // on the real boxes that follow
    const auto row = [](const char* name, const char* way, const QList<B::StandardButton>& clicks) {
      QTest::newRow(name) << QString(way) << clicks;
    };
    row("frame, Cancel", "frame", {B::Cancel}), row("frame, Yes", "frame", {B::Yes});
    row("frame, No", "frame", {B::No}), row("OK", "OK", {}), row("Cancel", "Cancel", {});
    row("OK, quietly: writes back all the same", "OK quietly", {}), row("Ctrl+C, Cancel", "C", {B::Cancel});
    row("Ctrl+C, Yes, not saved", "C", {B::Yes, B::No}), row("Ctrl+C, quietly", "C quietly", {});
    row("open, Yes, saved", "open", {B::Yes, B::Yes}), row("open, No", "open", {B::No});
    row("open, quietly", "open quietly", {}), row("exit", "X", {B::Ok}), row("save, Yes", "S", {B::Yes});
    row("save, No", "S", {B::No}), row("save, Cancel", "S", {B::Cancel});
    // With the changes written back to the image by OK, and About open: a close or an exit closes it.
    row("after OK, close, Yes", "after OK, C", {B::Yes}), row("after OK, close, No", "after OK, C", {B::No});
    row("after OK, close, Cancel", "after OK, C", {B::Cancel}), row("after OK, exit, Yes", "after OK, X", {B::Yes});
    row("after OK, exit, save fails", "after OK, X", {B::Yes, B::Ok});
    row("after OK, open, no file chosen", "after OK, O", {}), row("after OK, open, Yes", "after OK, O", {B::Yes});
    row("after OK, open, No", "after OK, O", {B::No}), row("after OK, drop, Cancel", "after OK, drop", {B::Cancel});
    row("after OK, open, save fails", "after OK, O", {B::Yes, B::Ok}), row("save, Yes, fails", "S", {B::Yes, B::Ok});
  }
  void everyWayOfDroppingChangesAsksFirst() {
    QFETCH(QString, way);
    QFETCH(QList<B::StandardButton>, clicks);
    const QLabel& checksum = f_.window->findChild<StatusPanelBar*>("mssbVarious")->Panel(3);
    const QString other = f_.Write(Calibration(), "other.bin");
    if (QString(QTest::currentDataTag()).endsWith("fails")) QFile::remove(path_.c_str());  // the save fails
    if (!way.endsWith("quietly")) Change({"13.5"}), Change({"13", true});                  // modifiers 151 and 11
    const bool afterOk = way.startsWith("after OK, ");
    way = way.section(u' ', afterOk ? 2 : 0, afterOk ? 2 : 0);
    if (afterOk) QTest::mouseClick(Button("cmdOK"), Qt::LeftButton), f_.window->mnuAbout_Click();
    QVERIFY(afterOk ? f_.Activate() : (f_.window->mnuAFRs_Click(), true));  // or the grid brought forward as it is
    const int before = static_cast<int>(f_.Log().size());
    f_.boxes.real = true;
    QString dialog;
    way != "O" ? test::ClickInTurn(clicks) : test::WhenModalShown<QFileDialog>([&, clicks](QFileDialog& open) {
      dialog = open.objectName() + u' ' + open.windowTitle() + u' ' + open.nameFilters().join(u';');
      open.findChild<QLineEdit*>("fileNameEdit")->setText(other);  // typed, as a user would
      clicks.isEmpty() ? open.reject() : static_cast<QDialog&>(open).accept();
      test::ClickInTurn(clicks);
    });
    if (way == "frame") {
      test::ClickCloseButton(*qobject_cast<QMdiSubWindow*>(Grid()->parentWidget()));
    } else if (way == "open") {
      f_.window->OpenBinaryFile(false, other);
    } else if (way == "drop") {
      QVERIFY(!test::DropFile(*f_.window, f_.dir->File("a.txt").c_str()));  // only .bin files are taken
      QVERIFY(test::DropFile(*f_.window, other));
      QCoreApplication::processEvents();  // the open follows the drop
    } else if (way.size() > 1) {
      QTest::mouseClick(Button(way == "OK" ? "cmdOK" : "cmdCancel"), Qt::LeftButton);
    } else {
      if (!afterOk && way != "S") Button("cmdOK")->setFocus();  // Ctrl+S goes to the grid: it keeps Ctrl+A, Ctrl+C
      QWidget* target = afterOk ? f_.window.get() : way == "S" ? static_cast<QWidget*>(Table()) : Button("cmdOK");
      Ctrl(target, Qt::Key(way[0].unicode()));
    }
    const char* busy = QApplication::overrideCursor() ? "busy" : "";  // the wait cursor never stays
    QStringList seen = QStringList{f_.BoxTitles()} + f_.Log(before) << Outcome() << dialog << busy;
    seen.removeAll(QString());  // no boxes, no dialog, not busy
    if (way == "OK")            // reopened, the grid reads the tables written: no yellow
      f_.window->mnuAFRs_Click(), seen << "reopened: " + Cell(2, 2) + ' ' + MarkedCells().join(' ');
    if (way == "S") seen << checksum.text();  // the checksum of what was saved, else what it showed before
    const auto [shown, kept] = test::Golden("editor", seen, f_.dir->Path().c_str());
    QCOMPARE(shown, kept);
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  AfrGridTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmAFR.moc"
