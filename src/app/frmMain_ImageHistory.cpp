// Binary > Image Details, and what the window program keeps in the version history.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/frmMain.h"
#include "details/frmImageDetails.h"

namespace vantorix {

namespace {

frmImageDetails* DetailsWindow(QMdiArea& area) {
  for (QMdiSubWindow* child : area.subWindowList())
    if (auto* details = qobject_cast<frmImageDetails*>(child->widget())) return details;
  return nullptr;
}

}  // namespace

void frmMain::Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) {
  if (event == VersionEvent::Opened) bytesAtOpen_.assign(bytes.begin(), bytes.end());
  history_->Record(event, path, bytes);
  if (event == VersionEvent::Opened) return;
  if (frmImageDetails* details = DetailsWindow(*mdiArea_)) details->Refresh();  // its list gains the version
}

void frmMain::mnuImageDetails_Click() {
  Trapped("mnuImageDetails_Click", [this] {
    if (frmImageDetails* details = DetailsWindow(*mdiArea_)) {
      mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(details->parentWidget()));
      return;
    }
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    QMdiSubWindow* child = mdiArea_->addSubWindow(
        new frmImageDetails(*shell_, image, bytesAtOpen_, *history_, *patchTables_, nativeFileDialog_));
    child->setWindowIcon(windowIcon());
    child->show();
  });
}

}  // namespace vantorix
