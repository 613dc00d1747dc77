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
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QStringList>("outcome");  // log after "Original AFR: 29.45, New AFR: ", boxes, cell, yellow
    const QString byRpm = "Recalculating AFRs based on 0RPMs...";
    const auto accepted = [&](const char* typed, const char* m, const char* cell, const QStringList& boxes = {}) {
      return QStringList{typed, byRpm, QString("RPM Modifier calculated.  New RPM Modifier = %1").arg(m),
                         "AFRs recalculated successfully based on new RPM Modifier."} +
             boxes + QStringList{cell} + Cells(2, 2, 1, 9);
    };
    const auto refused = [&](const char* typed, const char* what, const char* m, const char* rich) {
      return QStringList{typed, byRpm, QString("%1 RPM Modifier (%2).  Cannot calculate new AFRs.").arg(what, m),
                         QString("Exclamation %1 RPM Modifier: New RPM Modifier is invalid.  The AFR you have chosen "
                                 "is too %2.  Please try again.")
                             .arg(what, rich),
                         "29.45"};
    };
    const QStringList unchanged{"29.45", "AFRs not modified.", "29.45"};
    QTest::newRow("by RPM") << Answer{"13.5"} << accepted("13.5", "151 (97)", "13.51");  // 3770.16.. / 13.5 - 128
    const QStringList byCoolant =
        QStringList{"13.5", "Recalculating AFRs based on -40C (-40F)...",
                    "Coolant Modifier calculated.  New Coolant Modifier = 151 (97)",
                    "AFRs recalculated successfully based on new Coolant Modifier.", "13.51"} +
        Cells(2, 18, 1, 1);
    QTest::newRow("by coolant") << Answer{"13.5", true} << byCoolant;
    QTest::newRow("Return, after the help")
        << Answer{"13.5", false, false, Qt::Key_Return, true}
        << accepted("13.5", "151 (97)", "13.51",
                    {"OkOnly Vantorix: From the main screen please choose 'Help->Instructions' in order to learn "
                     "more about choosing either the 'RPM' option or the 'Coolant Temperature' option"});
    QTest::newRow("keypad Enter") << Answer{"13.5", false, false, Qt::Key_Enter}
                                  << accepted("13.5", "151 (97)", "13.51");
    QTest::newRow("F2, by coolant") << Answer{"13.5", true, false, Qt::Key_F2} << byCoolant;
    QTest::newRow("cancelled") << Answer{"14", false, true} << unchanged;
    QTest::newRow("the same value") << Answer{"29.45"} << unchanged;
    QTest::newRow("255") << Answer{"9.84376213805849"} << accepted("9.84376213805849", "255 (FF)", "9.84");
    QTest::newRow("256") << Answer{"9.81812734082396"} << refused("9.81812734082396", "Excessive", "256", "RICH");
    QTest::newRow("0") << Answer{"29.4543820224719"} << accepted("29.4543820224719", "0 (0)", "29.45");
    QTest::newRow("-1") << Answer{"29.6863062903654"} << refused("29.6863062903654", "Negative", "-1", "LEAN");
    // Only digits, the point and backspace pass; neither Enter nor Escape ends the dialog.
    QTest::newRow("keys refused") << Answer{"1a2,-3 .5x\r\x1b\b"} << refused("123", "Negative", "-97", "LEAN");
    // Whatever can be solved is the solve's to refuse; only what cannot is the dialog's.
    QTest::newRow("0.5") << Answer{"0.5"} << refused("0.5", "Excessive", "7412", "RICH");
    QTest::newRow("0.115") << Answer{"0.115"} << refused("0.115", "Excessive", "32656", "RICH");  // 32656.0078
    const QString nan = "Please enter the new Target Air/Fuel Ratio as a number, for example 12.5.";
    const QString none =
        "No new RPM Modifier can be calculated for a Target Air/Fuel Ratio of %1 (%2).  Please try "
        "again, for example with 12.5.";
    const QString outside = "it would lie outside -32768 to 32767";  // 32943.587
    const auto notATarget = [](const QString& text, const QString& said) {
      QTest::newRow(qPrintable("'" + text + "': not a target"))
          << Answer{text} << QStringList{"29.45", "AFRs not modified.", "Exclamation Vantorix: " + said, "29.45"};
    };
    notATarget("", nan), notATarget(".", nan), notATarget("1.2.3", nan);
    notATarget("0", none.arg("0", "a division by zero")), notATarget("0.114", none.arg("0.114", outside));
  }
  void aChangeRewritesItsRowOrColumnInYellowOrIsRefused() {
    QFETCH(Answer, answer);
    QFETCH(QStringList, outcome);
    QStringList seen = Change(answer);
    QCOMPARE(seen.takeFirst(), "RPM Modifier selected.");
    if (answer.byCoolant) QCOMPARE(seen.takeFirst(), "Coolant Modifier selected.");
    seen[0].remove("Original AFR: 29.45, New AFR: ");
    QCOMPARE(seen + QStringList{Cell(2, 1)} + MarkedCells(), outcome);
    const bool refused = outcome.join(u' ').contains("Exclamation Vantorix:");  // asked again
    const QRect cell = Table()->visualItemRect(Table()->item(2, 1));            // current: framed, not filled
    dialog_ << Table()->viewport()->grab().toImage().pixelColor(cell.right() - 5, cell.center().y()).name();
    Click(0, 0);  // a header cell never becomes current
    QCOMPARE(dialog_ << QString("current %1,%2").arg(Table()->currentRow()).arg(Table()->currentColumn()),
             QStringList({"Picture1 RPM Modifier", "optRPM RPM", "Picture2 Coolant Modifier",
                          "optCoolant Coolant Temperature", "Command1 ?",
                          "Current Target AFR is 29.45 at 0RPMs and -40\u00BA C (-40\u00BA F)", "beside",
                          "focus txtNewValue"}) +
                 (refused ? QStringList{"asked again, focus txtNewValue"} : QStringList{}) +
                 QStringList({outcome.contains("2,1") ? "#ffff00" : "#ffffff", "current 2,1"}));
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
    QCOMPARE(read, QStringList({"Power Enrichment Target Air/Fuel Ratios", "Coolant Temperature centred",
                                "R\nP\nM centred", "Note: Double Click on a table cell to change the Target AFR",
                                "OK, then Cancel, below the grid"}));
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
    QCOMPARE(QStringList({QString::number(t.size()), t[1], t[0].section(u'\t', 0, 1), t[0].section(u'\t', 9),
                          t[2].section(u'\t', 0, 1), t[3].section(u'\t', 2, 2), t[10].section(u'\t', 6, 6),
                          t[18].section(u'\t', 0, 0), t[18].section(u'\t', 9), Outcome()}),
             QStringList({"20", "Degrees F\t-40\t3.2\t46.4\t89.6\t132.8\t176\t219.2\t262.4\t305.6", "Degrees C\t-40",
                          "152", "0\t29.45", "12.74", "12.96", "6400", "5.91",
                          "cal.bin 0/0 0/0 0 yellow Vantorix"}));  // Ctrl+A added no patch, nothing closed
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
    const QString tip = "RPM modifier: %1\nCoolant modifier: %2", before = "\nTarget AFR before the change: ";
    QCOMPARE(tips, QStringList({tip.arg("151 (97)", "11 (B)") + before + "29.45",  // yellow since the first change
                                tip.arg("151 (97)", "88 (58)") + before + "17.45",
                                tip.arg("80 (50)", "11 (B)") + before + "18.13", tip.arg("80 (50)", "88 (58)"), ""}));
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
    const QString row = "AFR change at 0 RPM", column = "AFR change at -40 \u00B0C",
                  patch = "adding the wideband patch";
    QCOMPARE(
        seen + steps,
        QStringList(
            {"opened 25 pending Vantorix Undo " + column + "|Redo -",
             "opened 9 pending Vantorix Undo " + row + "|Redo " + column, "opened 0 Vantorix Undo -|Redo " + row,
             "opened 9 pending Vantorix Undo " + row + "|Redo " + column, "grid -1 Vantorix* Undo " + row + "|Redo -",
             "saved -1 Vantorix Undo " + row + "|Redo -", "patched -1 Vantorix* Undo " + patch + "|Redo -",
             "saved -1 Vantorix Undo " + row + "|Redo " + patch, "opened -1 Vantorix* Undo -|Redo " + row,
             "grid -1 Vantorix* Undo " + row + "|Redo " + patch, "patched -1 Vantorix* Undo " + patch + "|Redo -",
             "other -1 Vantorix Undo -|Redo -", "Undone: " + column, "Undone: " + row, "Redone: " + row,
             "Undone: " + patch, "Undone: " + row, "Redone: " + row, "Redone: " + patch}));
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
    QTest::addColumn<QString>("way");
    QTest::addColumn<QList<B::StandardButton>>("clicks");  // on the real boxes that follow
    QTest::addColumn<QString>("outcome");                  // box titles|the new log lines|Outcome()
    const QString keep = "Keep AFR Changes|", yellow = "cal.bin 0/0 0/0 25 yellow Vantorix";
    const QString ok = "Exiting PE AFR.  User chose OK.  Any changes to the AFR are being *remembered*.";
    const QString cancel = "Exiting PE AFR.  User chose CANCEL.  Any changes to the AFR have been *forgotten*.";
    const QString closed =
        "Closing current binary file: cal.bin,Binary file Closed.,Closing binary compare file: N/A,Binary file Closed.";
    const QString opened =
        "Opening binary file: other.bin,Reading BIN to array...,Binary read complete.,File opened successfully.|";
    const QString saved = "Saving Current BIN: cal.bin...,Current BIN Saved.|", apply = "Apply AFR Changes|";
    const auto row = [](const char* name, const char* way, const QList<B::StandardButton>& clicks,
                        const QString& outcome) { QTest::newRow(name) << QString(way) << clicks << outcome; };
    row("frame, Cancel", "frame", {B::Cancel}, keep + "|" + yellow);
    row("frame, Yes", "frame", {B::Yes}, keep + ok + "|cal.bin 151/11 0/0 no grid Vantorix*");
    row("frame, No", "frame", {B::No}, keep + cancel + "|cal.bin 0/0 0/0 no grid Vantorix");
    row("OK", "OK", {}, "|" + ok + "|cal.bin 151/11 0/0 no grid Vantorix*");
    row("OK, quietly: writes back all the same", "OK quietly", {}, "|" + ok + "|cal.bin 0/0 0/0 no grid Vantorix*");
    row("Cancel", "Cancel", {}, "|" + cancel + "|cal.bin 0/0 0/0 no grid Vantorix");
    row("Ctrl+C, Cancel", "C", {B::Cancel}, keep + "|" + yellow);
    row("Ctrl+C, Yes, not saved", "C", {B::Yes, B::No},
        "Keep AFR Changes,Save Changes|" + ok + "," + closed + "|no image - 0/0 no grid Vantorix");
    row("Ctrl+C, quietly", "C quietly", {}, "|" + closed + "|no image - 0/0 no grid Vantorix");
    row("open, Yes, saved", "open", {B::Yes, B::Yes},
        "Keep AFR Changes,Save Changes|" + ok + "," + opened + "other.bin 0/0 151/11 no grid Vantorix");
    row("open, No", "open", {B::No}, keep + cancel + "," + opened + "other.bin 0/0 0/0 no grid Vantorix");
    row("open, quietly", "open quietly", {}, "|" + opened + "other.bin 0/0 0/0 no grid Vantorix");
    row("exit", "X", {B::Ok}, "Close AFR Screen||" + yellow);
    row("save, Yes", "S", {B::Yes}, apply + ok + "," + saved + "cal.bin 151/11 151/11 no grid Vantorix");
    row("save, No", "S", {B::No}, apply + saved + yellow);
    row("save, Cancel", "S", {B::Cancel}, apply + "|" + yellow);
    // With the changes written back to the image by OK, and About open: a close or an exit closes it.
    const QString kept = "|cal.bin 151/11 0/0 no grid Vantorix* About",
                  fails = "Save Changes,BIN File Error||cal.bin 151/11 - no grid Vantorix* About";
    const QString about = "Save Changes|Exiting About.",
                  menu = "Save Changes|" +
                         QString(opened).replace(",Reading", ",Original BIN backed up as: other.bin.org,Reading");
    row("after OK, close, Yes", "after OK, C", {B::Yes}, about + "," + closed + "|no image - 151/11 no grid Vantorix");
    row("after OK, close, No", "after OK, C", {B::No}, about + "," + closed + "|no image - 0/0 no grid Vantorix");
    row("after OK, close, Cancel", "after OK, C", {B::Cancel}, "Save Changes|" + kept);
    row("after OK, exit, save fails", "after OK, X", {B::Yes, B::Ok}, fails);
    row("after OK, exit, Yes", "after OK, X", {B::Yes}, about + "|cal.bin 151/11 151/11 no grid hidden");
    row("after OK, open, no file chosen", "after OK, O", {}, "|" + kept);
    row("after OK, open, Yes", "after OK, O", {B::Yes}, menu + "other.bin 0/0 151/11 no grid Vantorix About");
    row("after OK, open, No", "after OK, O", {B::No}, menu + "other.bin 0/0 0/0 no grid Vantorix About");
    row("after OK, open, save fails", "after OK, O", {B::Yes, B::Ok}, fails);
    row("after OK, drop, Cancel", "after OK, drop", {B::Cancel}, "Save Changes|" + kept);
    row("save, Yes, fails", "S", {B::Yes, B::Ok},
        "Apply AFR Changes,BIN File Error|" + ok + ",Saving Current BIN: cal.bin...,Current BIN NOT saved.|" +
            "cal.bin 151/11 - no grid Vantorix*");
  }
  void everyWayOfDroppingChangesAsksFirst() {
    QFETCH(QString, way);
    QFETCH(QList<B::StandardButton>, clicks);
    QFETCH(QString, outcome);
    const QLabel& checksum = f_.window->findChild<StatusPanelBar*>("mssbVarious")->Panel(3);
    const QString shown = checksum.text(), other = f_.Write(Calibration(), "other.bin");
    if (outcome.contains("BIN File Error")) QFile::remove(path_.c_str());  // the save fails
    if (!way.endsWith("quietly")) Change({"13.5"}), Change({"13", true});  // modifiers 151 and 11
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
    const QString log = f_.Log(before).join(u',').remove(f_.dir->Path().c_str() + QString(u'/'));
    const char* busy = QApplication::overrideCursor() ? "busy" : "";  // the wait cursor never stays
    QCOMPARE(QStringList({f_.BoxTitles(), log, Outcome(), dialog, busy}).join(u'|'),
             outcome + (way == "O" ? "|dlgCommonDialog1 Open Binary Binary File (*.bin)|" : "||"));
    if (way == "OK") {  // reopened, the grid reads the tables written: no yellow
      f_.window->mnuAFRs_Click();
      QCOMPARE(Cell(2, 2) + ' ' + MarkedCells().join(' '), outcome.contains("151") ? "10.27 " : "17.45 ");
    }
    if (way != "S") return;  // a save's panel shows the checksum of what was saved, else what it showed before
    const TestImage disk = Calibration(ImageBytes()[TestImage::kRpm8D], ImageBytes()[TestImage::kCoolant8D]);
    QCOMPARE(checksum.text(), outcome.contains("BIN Saved.")
                                  ? "CSUM (hex): " + QString::number(disk.ExpectedChecksum(), 16).toUpper()
                                  : shown);
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  AfrGridTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_frmAFR.moc"
