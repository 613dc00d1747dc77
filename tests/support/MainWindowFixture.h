#pragma once

#include <memory>

#include "FaultyFileSystem.h"
#include "ModalDriver.h"
#include "ScriptedMessageBoxes.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/frmMain.h"

namespace vantorix::test {

// The main window as the window tests drive it: scripted message boxes (real ones on
// request), a fixed clock, en_US unless told, non-native dialogs, image files in a fresh folder, and
// the real file services with the faults a test arms.
struct MainWindowFixture {
  std::unique_ptr<TempDir> dir;
  ScriptedMessageBoxes boxes;
  FaultyFileSystem faulty;
  std::unique_ptr<frmMain> window;

  bool Start(wbpatch::TableSource* tables = nullptr, const QLocale& locale = QLocale("en_US")) {
    dir = std::make_unique<TempDir>();
    boxes = ScriptedMessageBoxes();
    faulty = FaultyFileSystem();
    const MainWindowServices services{.boxes = &boxes,
                                      .files = &faulty,
                                      .patchTables = tables,
                                      .clock = [] { return QDateTime(QDate(2026, 12, 5), QTime(21, 8, 44)); },
                                      .locale = locale,
                                      .nativeFileDialog = false};
    window = std::make_unique<frmMain>(InitializeSettings(), services);
    window->show();
    return QTest::qWaitForWindowActive(window.get());
  }
  void Stop() {
    ForgetUnshownModals();
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

inline void Ctrl(QWidget* target, Qt::Key key) { QTest::keyClick(target, key, Qt::ControlModifier); }

}  // namespace vantorix::test
