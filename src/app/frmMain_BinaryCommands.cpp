// The Binary menu: the target AFR grid and the wideband patch.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/frmMain.h"
#include "editor/frmAFR.h"

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

// What tells the two wideband commands apart: the operation and the words around it.
struct frmMain::WideBandCommand {
  const char* procedure;
  bool (clsBINFile::*operation)();
  const char* operationName;
  const char* attempt;    // "insert" / "remove"
  const char* direction;  // "added to" / "removed from"
};

void frmMain::RunWideBandCommand(const WideBandCommand& command) {
  Trapped(command.procedure, [&] {
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    const std::string name = command.operationName;
    shell_->WriteLog("Calling " + name + " based on " + image.Mask());
    shell_->WriteLog("Attempting to " + std::string(command.attempt) + " Corvennis' Wide Band hac for " +
                     image.WBBCC());
    if ((image.*command.operation)()) {
      shell_->WriteLog("Finished calling " + name + " Successfully.");
      shell_->MsgBox("WB Hac " + std::string(command.direction) + " BIN successfully (" + image.WBBCC() + ").",
                     MsgBoxStyle::OkOnly, "Success");
    } else {
      shell_->WriteLog("Finished calling " + name + " but was UNSUCCESSFULL.");
      shell_->MsgBox("Error: WB Hac WAS NOT " + std::string(command.direction) + " BIN.", MsgBoxStyle::OkOnly,
                     "Failure");
    }
  });
}

void frmMain::mnuWBAdd_Click() {
  RunWideBandCommand({"mnuWBAdd_Click", &clsBINFile::AddWBHackToBIN, "AddWBHackToBIN", "insert", "added to"});
}

void frmMain::mnuWBRemove_Click() {
  RunWideBandCommand({"mnuWBRemove_Click", &clsBINFile::RemoveWBHackFromBIN, "RemoveWBHackFromBIN", "remove",
                      "removed from"});
}

}  // namespace vantorix
