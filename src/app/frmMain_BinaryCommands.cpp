// The Binary menu: the target AFR grid and the wideband patch.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/frmMain.h"
#include "editor/frmAFR.h"
#include "wbpatch/WideBandCommand.h"

namespace vantorix {

void frmMain::mnuAFRs_Click() {
  Trapped("mnuAFRs_Click", [this] {
    for (QMdiSubWindow* child : mdiArea_->subWindowList()) {
      if (child->widget() != nullptr && child->widget()->objectName() == QStringLiteral("frmAFR")) {
        mdiArea_->setActiveSubWindow(child);  // brought forward as it is, not filled again
        return;
      }
    }
    QMdiSubWindow* child = mdiArea_->addSubWindow(new frmAFR(*shell_, images_->gobjBIN()));
    child->setWindowIcon(windowIcon());
    child->show();
  });
}

void frmMain::RunWideBandCommand(const wbpatch::WideBandCommand& command) {
  Trapped(command.procedure, [&] {
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    if (wbpatch::RunWideBandOperation(*shell_, image, command))
      shell_->MsgBox(wbpatch::SuccessText(command, image.WBBCC()), MsgBoxStyle::OkOnly, "Success");
    else
      shell_->MsgBox(wbpatch::FailureText(command), MsgBoxStyle::OkOnly, "Failure");
  });
}

void frmMain::mnuWBAdd_Click() { RunWideBandCommand(wbpatch::kAddCommand); }

void frmMain::mnuWBRemove_Click() { RunWideBandCommand(wbpatch::kRemoveCommand); }

}  // namespace vantorix
