// The Binary menu: the target AFR grid and the wideband patch.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include "app/frmMain.h"
#include "editor/frmAFR.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix {

void frmMain::mnuAFRs_Click() {
  Trapped("mnuAFRs_Click", [this] {
    if (frmAFR* grid = Grid()) {
      mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(grid->parentWidget()));  // as it is, not filled again
      return;
    }
    auto* grid = new frmAFR(*shell_, images_->gobjBIN(), nativeFileDialog_);
    connect(grid, &frmAFR::ImageWritten, this, &frmMain::ShowUnsavedChanges);
    // The chart follows the grid's pending changes, and the image again once the grid goes.
    connect(grid, &frmAFR::TablesChanged, this, &frmMain::RefreshViews);
    connect(grid, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &frmMain::RefreshViews); });
    QMdiSubWindow* child = mdiArea_->addSubWindow(grid);
    child->setWindowIcon(windowIcon());
    child->show();
  });
}

frmAFR* frmMain::Grid() const {
  for (QMdiSubWindow* child : mdiArea_->subWindowList())
    if (auto* grid = qobject_cast<frmAFR*>(child->widget()); grid != nullptr && !child->isHidden()) return grid;
  return nullptr;
}

bool frmMain::CloseGridFirst() {
  frmAFR* grid = Grid();
  return grid == nullptr || !grid->HasUnwrittenChanges() || grid->close();
}

void frmMain::RunWideBandCommand(const wbpatch::WideBandCommand& command) {
  Trapped(command.procedure, [&] {
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    if (wbpatch::RunWideBandOperation(*shell_, image, command))
      shell_->MsgBox(wbpatch::SuccessText(command, image.WBBCC()), MsgBoxStyle::OkOnly, "Success",
                     BoxKind::Message("WideBandSuccess"));
    else
      shell_->MsgBox(wbpatch::FailureText(command), MsgBoxStyle::OkOnly, "Failure",
                     BoxKind::Message("WideBandFailure"));
  });
}

void frmMain::mnuWBAdd_Click() { RunWideBandCommand(wbpatch::kAddCommand); }

void frmMain::mnuWBRemove_Click() { RunWideBandCommand(wbpatch::kRemoveCommand); }

}  // namespace vantorix
