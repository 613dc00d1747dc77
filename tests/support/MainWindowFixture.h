#pragma once

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "FaultyFileSystem.h"
#include "ScriptedAnswers.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/MessageBoxes.h"
#include "app/frmMain.h"

namespace vantorix::test {

// Drivers for real windows. WhenModalShown acts on the next modal window once it is
// shown: the way a test drives a real dialog.
// The action runs from the event loop the modal window itself spins and should end the
// dialog; record what it sees and compare afterwards. Whatever modal window is still
// open five seconds later is closed, so that a failing test cannot hang.
template <class Dialog>
void WhenModalShown(std::function<void(Dialog&)> action) {
  auto* timer = new QTimer(QCoreApplication::instance());  // owned, so none outlives the program
  timer->setObjectName(QStringLiteral("WhenModalShown"));
  QObject::connect(timer, &QTimer::timeout, [timer, action, ticks = 0, acted = false]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<Dialog*>(modal); dialog != nullptr && !acted) {
      acted = true;
      action(*dialog);
    } else if (++ticks > 500 || acted) {
      if (modal == nullptr) timer->stop(), timer->deleteLater();
      if (modal != nullptr && ticks > 500) modal->close();
    }
  });
  timer->start(10);
}

// Answers the next real message boxes in turn, each with a mouse click on its button; a box
// beyond them is closed, so that the test fails instead of waiting for it.
inline void ClickInTurn(QList<QMessageBox::StandardButton> buttons) {
  WhenModalShown<QMessageBox>([buttons](QMessageBox& box) {
    if (buttons.isEmpty()) return void(box.close());
    QTest::mouseClick(box.button(buttons.first()), Qt::LeftButton);
    ClickInTurn(buttons.mid(1));
  });
}

// Clicks the close button in the title bar of an MDI child, where its style draws it.
inline void ClickCloseButton(QMdiSubWindow& frame) {
  QStyleOptionTitleBar bar;
  bar.initFrom(&frame);
  bar.titleBarFlags = frame.windowFlags();
  bar.rect.setHeight(frame.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &frame));
  const QPoint close =
      frame.style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, &frame).center();
  QTest::mouseMove(&frame, {});  // the frame learns which button is under the pointer as it moves
  QTest::mouseMove(&frame, close);
  QTest::mouseClick(&frame, Qt::LeftButton, {}, close);
}

// Drags a file over the widget and drops it there if the widget takes it: whether it took the drop.
inline bool DropFile(QWidget& target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
  QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&target, &enter);
  return enter.isAccepted() && QApplication::sendEvent(&target, &drop) && drop.isAccepted();
}

// Message boxes for window tests: each box is recorded as "<style name> <title>: <text>" and
// answered from the script or, with real set, shown for the test to answer.
class ScriptedMessageBoxes final : public MessageBoxes {
 public:
  MsgBoxResult Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) override {
    shown << QString::fromStdString(StyleName(style)) + u' ' + title + QStringLiteral(": ") + text;
    if (real) return QtMessageBoxes().Show(parent, text, style, title);
    return script.Next(style);
  }

  QStringList shown;
  ScriptedAnswers script;
  bool real = false;
};

// The main window as the window tests drive it: scripted message boxes (real ones on
// request), a fixed clock, en_US unless told, non-native dialogs, image files in a fresh folder, and
// the real file services with the faults a test arms.
struct MainWindowFixture {
  std::unique_ptr<TempDir> dir;
  ScriptedMessageBoxes boxes;
  FaultyFileSystem faulty;
  std::unique_ptr<frmMain> window;

  bool Start(wbpatch::TableSource* tables = nullptr, const QLocale& locale = QLocale("en_US"),
             const Settings& settings = InitializeSettings()) {
    dir = std::make_unique<TempDir>();
    boxes = ScriptedMessageBoxes();
    faulty = FaultyFileSystem();
    const MainWindowServices services{.boxes = &boxes,
                                      .files = &faulty,
                                      .patchTables = tables,
                                      .clock = [] { return QDateTime(QDate(2026, 12, 5), QTime(21, 8, 44)); },
                                      .locale = locale,
                                      .nativeFileDialog = false};
    window = std::make_unique<frmMain>(settings, services);
    window->show();
    return QTest::qWaitForWindowActive(window.get());
  }
  void Stop() {  // with the actions still waiting for a modal window, so that none acts in a later test
    qDeleteAll(QCoreApplication::instance()->findChildren<QTimer*>(QStringLiteral("WhenModalShown")));
    window.reset();
    dir.reset();
  }
  // Offscreen, no window takes the activation back from a closed dialog.
  bool Activate() {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window.get());
  }

  QString Write(const TestImage& image, const QString& name) const {
    return QString::fromStdString(image.WriteTo(dir->Path() / name.toStdString()).string());
  }
  // The log lines from the given one on, without their times.
  QStringList Log(int from = 0) const {
    const auto& list = *window->findChild<QListWidget*>("lstLog");
    QStringList lines;
    for (int row = from; row < list.count(); ++row) lines << list.item(row)->text().section(", ", 1);
    return lines;
  }
  // The titles of the boxes shown since the last call.
  QString BoxTitles() {
    QStringList titles;
    for (const QString& box : std::exchange(boxes.shown, {})) titles << box.section(u':', 0, 0).section(u' ', 1);
    return titles.join(u',');
  }
  QString Title() const { return window->windowHandle()->title(); }
};

// Golden files: a slot's whole expected outcome, one block a row ("[row]", "[]" in a slot without rows, then its lines,
// with \r and \n written as such and the test's folder as <dir>), in tests/<folder>/expected/<slot>.txt. Long expected
// texts read better there than as string literals; a row that differs also writes what it saw to
// actual/<folder>/<slot>.txt in the working folder, to diff against the kept file.
inline std::pair<QStringList, QStringList> Golden(const QString& folder, QStringList seen, const QString& dir) {
  const QString slot = QString(QTest::currentTestFunction()) + ".txt", row = QTest::currentDataTag();
  seen.replaceInStrings(dir, "<dir>").replaceInStrings("\r", "\\r").replaceInStrings("\n", "\\n");
  QFile file(QT_TESTCASE_SOURCEDIR "/" + folder + "/expected/" + slot);
  QStringList kept{"no block [" + row + "] in " + file.fileName()};
  const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  for (const QString& block : (u'\n' + text.chopped(text.endsWith(u'\n'))).split("\n["))
    if (block.startsWith(row + "]\n")) kept = block.section(u'\n', 1).split(u'\n');
  static QSet<QString> written;  // each actual file begins again in a run
  QFile actual("actual/" + folder + u'/' + slot);
  if (seen != kept && QDir().mkpath("actual/" + folder) &&
      actual.open(written.contains(slot) ? QIODevice::Append : QIODevice::WriteOnly)) {
    written << slot;
    actual.write(("[" + row + "]\n" + seen.join(u'\n') + u'\n').toUtf8());
    qWarning().noquote() << "differs from" << file.fileName() << "; seen in" << QFileInfo(actual).absoluteFilePath();
  }
  return {seen, kept};
}

// The grid tests' calibration, its checksum right: the modifiers vary (at 3200 RPM, row 8, and 80 °C, column 5,
// 143 and 20: 3770.1608988764 / 291 = 12.96); at 0 RPM and -40 °C both are 0: / 128 = 29.45.
inline TestImage GridCalibration(std::uint8_t mask = 0x8D) {
  return TestImage(32768, mask)
      .CoolantModifiers({0, 88, 30, 40, 50, 20, 60, 70, 255})
      .RpmModifiers({0, 80, 10, 20, 30, 40, 50, 60, 143, 70, 80, 90, 100, 110, 120, 130, 255})
      .CorrectChecksum();
}

inline void Ctrl(QWidget* target, Qt::Key key) { QTest::keyClick(target, key, Qt::ControlModifier); }

}  // namespace vantorix::test
