// The compare image, the AFR chart, and the windows that follow the image and the compare
// image: File > Open Compare BIN…, Compare With Backup, Binary > AFR Chart.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/FileSystemPath.h"
#include "app/StatusPanelBar.h"
#include "app/frmMain.h"
#include "bin/ImageRoads.h"
#include "chart/frmAFRChart.h"
#include "details/frmImageDetails.h"
#include "editor/frmAFR.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

void frmMain::mnuOpenCompare_Click() {
  Trapped("mnuOpenCompare_Click", [this] { OpenCompareFile(QString()); });
}

void frmMain::mnuCompareBackup_Click() {
  Trapped("mnuCompareBackup_Click",
          [this] { OpenCompareFile(QString::fromStdString(images_->gobjBIN().FilePath() + ".org")); });
}

void frmMain::OpenCompareFile(QString strPath, std::unique_ptr<FileSystem> files) {
  Trapped("OpenCompareFile", [&] {
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    if (strPath.isEmpty()) strPath = AskForImage(QStringLiteral("Open Compare Binary"));
    if (strPath.isEmpty()) return;
    const std::string path = files ? strPath.toStdString() : FileSystemPath(strPath);
    FileSystem& source = files ? *files : ReadOnlyFileSystem();
    if (const Outcome found = roads::FindImage(*shell_, source, path); !found) {
      if (!found.Detail().empty()) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is " + found.Detail());
      return;
    }
    // Read only: no backup, no lock, never written, and not a version of the history.
    std::unique_ptr<clsBINFile> compare = images_->NewCompareBIN(source);
    if (!roads::OpenImage(*shell_, *compare, path, false, nullptr, roads::RefusalBox::Always)) return;
    if (compare->Mask() != image.Mask()) {
      shell_->WriteLog("Compare file refused: " + path + " has mask " + compare->Mask() + ", the current BIN " +
                       image.Mask() + ".");
      shell_->MsgBox("Only an image of the current BIN's mask ($" + image.Mask() + ") can be compared with it.  " +
                         path + " has mask $" + compare->Mask() + ".",
                     MsgBoxStyle::Exclamation, "Compare Error", BoxKind::Message("CompareOfAnotherMask"));
      return;
    }
    CloseCompareFile();
    images_->ReplaceCompareBIN(std::move(compare), std::move(files));
    shell_->WriteLog("Comparing with: " + path);
    InitializeControls(2, false);
  });
}

void frmMain::CloseCompareFile(bool evenWhenNoneIsOpen) {
  clsBINFile& compare = images_->gobjCompareBIN();
  if (!compare.FileOpened() && !evenWhenNoneIsOpen) return;
  shell_->WriteLog("Closing binary compare file: " + compare.FilePath());
  compare.CloseBIN();
  shell_->WriteLog("Binary file Closed.");
}

void frmMain::mnuAFRChart_Click() {
  Trapped("mnuAFRChart_Click", [this] {
    if (frmAFRChart* chart = ChartWindow()) {
      mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(chart->parentWidget()));
      return;
    }
    shell_->WriteLog("View issued for the WOT PE AFR chart.");
    QMdiSubWindow* child = mdiArea_->addSubWindow(new frmAFRChart(*shell_, nativeFileDialog_));
    child->setWindowIcon(windowIcon());
    RefreshViews();  // drawn before it is shown: a chart laid out empty is laid out again with each line
    child->show();
  });
}

frmAFRChart* frmMain::ChartWindow() const {
  for (QMdiSubWindow* child : mdiArea_->subWindowList())
    if (auto* chart = qobject_cast<frmAFRChart*>(child->widget())) return chart;
  return nullptr;
}

std::optional<pe::AfrTable> frmMain::CompareTable() {
  clsBINFile& compare = images_->gobjCompareBIN();
  if (!compare.FileOpened()) return std::nullopt;
  return pe::AfrTableOf(compare.Bytes(), compare.Mask());
}

void frmMain::RefreshViews() {
  if (!images_) return;
  const std::optional<pe::AfrTable> compare = CompareTable();
  frmAFR* grid = Grid();
  if (grid != nullptr) grid->SetCompare(compare);
  if (frmImageDetails* details = Details()) {
    clsBINFile& other = images_->gobjCompareBIN();
    details->SetCompare(other.FileOpened() ? other.FilePath() : std::string(),
                        std::vector<std::uint8_t>(other.Bytes().begin(), other.Bytes().end()));
  }
  if (frmAFRChart* chart = ChartWindow()) {
    clsBINFile& image = images_->gobjBIN();
    ChartTables tables;
    tables.compare = compare;
    if (grid != nullptr && grid->HasUnwrittenChanges()) {
      tables.shown = grid->WorkingTable();
      tables.pending = grid->PendingCells();
    } else if (const auto shown = pe::AfrTableOf(image.Bytes(), image.Mask())) {
      tables.shown = *shown;
    }
    chart->Show(tables);
  }
}

}  // namespace vantorix
