// Binary > Image Details, and what the window program keeps in the version history.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/frmMain.h"
#include "bin/MemoryFileSystem.h"
#include "details/frmImageDetails.h"

namespace vantorix {

namespace {}  // namespace

frmImageDetails* frmMain::Details() const {
  for (QMdiSubWindow* child : mdiArea_->subWindowList())
    if (auto* details = qobject_cast<frmImageDetails*>(child->widget())) return details;
  return nullptr;
}

namespace {

frmImageDetails* DetailsWindow(QMdiArea& area) {
  for (QMdiSubWindow* child : area.subWindowList())
    if (auto* details = qobject_cast<frmImageDetails*>(child->widget())) return details;
  return nullptr;
}

}  // namespace

void frmMain::Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) {
  if (event == VersionEvent::Opened) bytesAtOpen_.assign(bytes.begin(), bytes.end());
  if (event == VersionEvent::Opened || event == VersionEvent::Saved) fileBytes_.assign(bytes.begin(), bytes.end());
  history_->Record(event, path, bytes);
  if (event == VersionEvent::Opened) return;
  if (event == VersionEvent::Saved) fileChecksumAgrees_ = true;  // a save stores the checksum of what it writes
  if (frmImageDetails* details = DetailsWindow(*mdiArea_)) {
    details->FileChecksumAgrees(fileChecksumAgrees_);
    details->Refresh();  // its list gains the version
  }
}

void frmMain::mnuImageDetails_Click() {
  Trapped("mnuImageDetails_Click", [this] {
    if (frmImageDetails* details = DetailsWindow(*mdiArea_)) {
      mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(details->parentWidget()));
      return;
    }
    clsBINFile& image = images_->gobjBIN();
    if (!image.FileOpened()) return;
    auto* details = new frmImageDetails(*shell_, image, bytesAtOpen_, fileChecksumAgrees_, *history_, *patchTables_,
                                        nativeFileDialog_);
    connect(details, &frmImageDetails::CompareWithVersion, this, [this](const QString& name, const QByteArray& bytes) {
      OpenCompareFile(name, std::make_unique<MemoryFileSystem>(name.toStdString(),
                                                               std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    });
    QMdiSubWindow* child = mdiArea_->addSubWindow(details);
    child->setWindowIcon(windowIcon());
    child->resize(child->sizeHint().boundedTo(mdiArea_->viewport()->size()));
    child->show();
  });
}

}  // namespace vantorix
