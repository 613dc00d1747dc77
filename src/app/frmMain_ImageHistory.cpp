// Binary > Image Details, and what the window program keeps in the version history.
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <algorithm>

#include "app/frmMain.h"
#include "bin/MemoryFileSystem.h"
#include "details/frmImageDetails.h"

namespace vantorix {

frmImageDetails* frmMain::Details() const {
  for (QMdiSubWindow* child : mdiArea_->subWindowList())
    if (auto* details = qobject_cast<frmImageDetails*>(child->widget())) return details;
  return nullptr;
}

void frmMain::Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) {
  if (event == VersionEvent::Opened) bytesAtOpen_.assign(bytes.begin(), bytes.end());
  if (event == VersionEvent::Opened || event == VersionEvent::Saved) fileBytes_.assign(bytes.begin(), bytes.end());
  history_->Record(event, path, bytes);
  if (event == VersionEvent::Opened || event == VersionEvent::Saved) NoteRecentImage(path);
  if (event == VersionEvent::Opened) return;
  if (event == VersionEvent::Saved) fileChecksumAgrees_ = true;  // a save stores the checksum of what it writes
  if (frmImageDetails* details = Details()) {
    details->FileChecksumAgrees(fileChecksumAgrees_);
    details->Refresh();  // its list gains the version
  }
}

void frmMain::mnuImageDetails_Click() {
  Trapped("mnuImageDetails_Click", [this] {
    if (frmImageDetails* details = Details()) {
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

namespace {
constexpr std::size_t kRecentImages = 8;
}  // namespace

void frmMain::LoadRecentImages() {
  if (!history_->On()) return;
  try {
    history_->Read([this](history::Store* store) {
      if (store != nullptr) recent_ = store->RecentPaths(kRecentImages);
    });
  } catch (const RuntimeError& error) {
    shell_->WriteLog(std::string("File > Recent Images: the version history could not be read: ") + error.what());
  }
  ShowRecentImages();
}

void frmMain::NoteRecentImage(const std::string& path) {
  if (!history_->On()) return;
  const std::string absolute = history::AbsolutePath(path);
  std::erase(recent_, absolute);
  recent_.insert(recent_.begin(), absolute);
  if (recent_.size() > kRecentImages) recent_.resize(kRecentImages);
  ShowRecentImages();
}

void frmMain::ShowRecentImages() {
  mnuRecent_->clear();
  for (std::size_t k = 0; k < recent_.size(); ++k) {
    const QString path = QFile::decodeName(recent_[k].c_str());
    QAction* action =
        mnuRecent_->addAction(QStringLiteral("&%1  %2").arg(k + 1).arg(QString(path).replace(u'&', "&&")));
    action->setObjectName(QStringLiteral("mnuRecent%1").arg(k + 1));
    // A file gone since is told by the open's own check, as File > Open tells it.
    connect(action, &QAction::triggered, this, [this, path] {
      Trapped("mnuRecent_Click", [this, &path] { OpenBinaryFile(settings_.gblnBackupBIN, path); });
    });
  }
  mnuRecent_->setEnabled(!recent_.empty());
}

}  // namespace vantorix
