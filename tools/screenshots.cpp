// Writes pictures of every window in a typical state, for the user guide:
//   vantorix-screenshots <output folder>
// Runs offscreen on a made-up image; answers the change dialog itself.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

#include "TempDir.h"
#include "TestImage.h"
#include "app/VantorixApplication.h"
#include "app/frmMain.h"
#include "editor/frmAFR.h"
#include "editor/frmNewAFR.h"

using namespace vantorix;

namespace {

bool Save(QWidget& widget, const QDir& folder, const char* name) {
  QApplication::processEvents();  // let pending layout changes land first
  const QString file = folder.filePath(QString::fromLatin1(name));
  const bool saved = widget.grab().save(file);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  VantorixApplication application(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/images"));
  QDir().mkpath(folder.path());

  test::TempDir dir;
  // The made-up image's versions go into a history of its own, never the user's.
  qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString((dir.Path() / "data").string())));
  qunsetenv("VANTORIX_NO_HISTORY");
  const std::string path =
      test::TestImage(32768, 0x8D)
          .PromId(4613)
          .CoolantModifiers({0, 4, 8, 12, 16, 20, 24, 28, 32})
          .RpmModifiers({150, 150, 150, 148, 146, 144, 142, 140, 138, 136, 134, 132, 130, 128, 126, 124, 122})
          .Axxc()
          .CorrectChecksum()
          .WriteTo(dir.Path() / "stock-8D.bin");
  frmMain window(InitializeSettings());
  application.SetReportWindow(&window);
  window.show();
  window.OpenBinaryFile(true, QString::fromStdString(path));
  bool ok = Save(window, folder, "main-window.png");

  window.mnuAFRs_Click();
  auto* grid = window.findChild<frmAFR*>(QStringLiteral("frmAFR"));
  window.mdiArea().activeSubWindow()->adjustSize();
  window.resize(window.width(), window.height() + 200);
  auto* cells = grid->findChild<QTableWidget*>(QStringLiteral("MSFlexGrid1"));
  cells->setCurrentCell(10, 6);
  QTimer::singleShot(100, [&] {
    auto* dialog = window.findChild<frmNewAFR*>(QStringLiteral("frmNewAFR"));
    dialog->findChild<QLineEdit*>(QStringLiteral("txtNewValue"))->setText(QStringLiteral("13.5"));
    ok = Save(*dialog, folder, "change-dialog.png") && ok;
    dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
  });
  grid->MSFlexGrid1_DblClick();
  ok = Save(window, folder, "afr-grid.png") && ok;

  window.mnuAbout_Click();
  ok = Save(*window.findChild<QWidget*>(QStringLiteral("frmAbout")), folder, "about.png") && ok;
  window.mnuInstructions_Click();
  ok = Save(*window.findChild<QWidget*>(QStringLiteral("frmInstructions")), folder, "instructions.png") && ok;

  // Image Details once the change above is kept and saved: its changes and two versions.
  grid->cmdOK_Click();
  window.mnuSave_Click();
  window.mnuImageDetails_Click();
  window.resize(window.width(), window.height() + 250);
  window.mdiArea().activeSubWindow()->showMaximized();
  ok = Save(window, folder, "image-details.png") && ok;

  // The saved image against its backup, the stock one: the chart dashes the stock lines
  // and the grid marks the row that changed.
  window.mdiArea().closeAllSubWindows();
  window.mnuCompareBackup_Click();
  window.mnuAFRChart_Click();
  window.mdiArea().activeSubWindow()->showMaximized();
  ok = Save(window, folder, "afr-chart.png") && ok;
  window.mdiArea().closeAllSubWindows();
  window.mnuAFRs_Click();
  window.mdiArea().activeSubWindow()->adjustSize();
  ok = Save(window, folder, "compare-grid.png") && ok;
  return ok ? 0 : 1;
}
