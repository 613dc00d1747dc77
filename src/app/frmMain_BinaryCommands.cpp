// The Binary menu: the target AFR grid and the wideband patch.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QUndoGroup>
#include <QUndoStack>

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
    connect(grid, &frmAFR::ImageWritten, this, [this](const QByteArray& before, const QString& step) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(before.constData());
      PushImageStep(step, std::vector<std::uint8_t>(bytes, bytes + before.size()));
      ShowUnsavedChanges();
    });
    // While the grid is open, Edit > Undo and Redo take its changes not yet written: the
    // image's steps wait, since undoing one would leave the grid's working copies (which
    // OK writes back whole) holding tables the image no longer has.
    undoGroup_->addStack(&grid->PendingSteps());
    undoGroup_->setActiveStack(&grid->PendingSteps());
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

void frmMain::RunWideBandCommand(const wbpatch::WideBandCommand& command, const QString& step) {
  Trapped(command.procedure, [&] {
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
    const bool done = wbpatch::RunWideBandOperation(*shell_, image, command);
    PushImageStep(step, std::move(before));  // also what one that failed wrote before its error
    if (done)
      shell_->MsgBox(wbpatch::SuccessText(command, image.WBBCC()), MsgBoxStyle::OkOnly, "Success",
                     BoxKind::Message("WideBandSuccess"));
    else
      shell_->MsgBox(wbpatch::FailureText(command), MsgBoxStyle::OkOnly, "Failure",
                     BoxKind::Message("WideBandFailure"));
  });
}

void frmMain::mnuWBAdd_Click() {
  RunWideBandCommand(wbpatch::kAddCommand, QStringLiteral("adding the wideband patch"));
}

void frmMain::mnuWBRemove_Click() {
  RunWideBandCommand(wbpatch::kRemoveCommand, QStringLiteral("removing the wideband patch"));
}

}  // namespace vantorix
