// The File menu and the check that runs whenever the main window is about to close.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoStack>
#include <filesystem>

#include "app/FileSystemPath.h"
#include "app/OpenFileDialog.h"
#include "app/StatusPanelBar.h"
#include "app/frmMain.h"
#include "bin/ImageRoads.h"
#include "bin/basFileFunctions.h"
#include "bin/basStringFunctions.h"
#include "chart/frmAFRChart.h"
#include "editor/frmAFR.h"
#include "foundation/RuntimeError.h"
#include "widgets/SaveFileDialog.h"

namespace vantorix {

namespace {

// The hourglass for as long as the command runs, whichever way it ends.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace

void frmMain::mnuOpen_Click() {
  Trapped("mnuOpen_Click", [this] { OpenBinaryFile(settings_.gblnBackupBIN, QString()); });
}

QString frmMain::AskForImage(const QString& title) {
  int filterIndex = 0;
  // Made at the first open, not at start-up: a file dialog reads its folder and builds a
  // model of it, which cost as much as the whole rest of the window.
  if (dlgCommonDialog1_ == nullptr) {
    dlgCommonDialog1_ = new QFileDialog(this);
    dlgCommonDialog1_->setObjectName(QStringLiteral("dlgCommonDialog1"));
  }
  dlgCommonDialog1_->setOption(QFileDialog::DontUseNativeDialog, !nativeFileDialog_);
  return OpenFileDialog(*shell_, *dlgCommonDialog1_, QString::fromStdString(settings_.gstrInitialDirectory),
                        QStringLiteral("Binary File (*.bin)|*.bin"), title, filterIndex);
}

void frmMain::OpenBinaryFile(bool blnBackupFile, QString strPath) {
  Trapped("OpenBinaryFile", [&] {
    if (strPath.isEmpty()) strPath = AskForImage(QStringLiteral("Open Binary"));
    show();
    raise();
    activateWindow();
    if (strPath.isEmpty()) return;

    // The file system's own bytes, so that a name in any encoding opens.
    const std::string path = FileSystemPath(strPath);
    // A path that cannot be looked at, or that names no regular file, is reported with its cause.
    if (const Outcome found = roads::FindImage(*shell_, *files_, path); !found) {
      if (!found.Detail().empty()) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is " + found.Detail());
      return;
    }
    if (!CloseGridFirst() || !SaveChangesFirst()) return;

    const BusyPointer busy;
    clsBINFile& current = images_->gobjBIN();
    // The open file is locked: to start again from the disk, the current image lets go
    // of it first, and then no longer holds an image if the file is refused now.
    const bool reopening = current.FileOpened() && IsSameFile(path, current.FilePath());
    if (reopening) {
      mdiArea_->closeAllSubWindows();
      shell_->WriteLog("Closing current binary file: " + current.FilePath());
      current.CloseBIN();
      imageSteps_->clear();
      shell_->WriteLog("Binary file Closed.");
    }
    std::unique_ptr<clsBINFile> image = images_->NewBIN();
    if (!roads::OpenImage(*shell_, *image, path, blnBackupFile, this, roads::RefusalBox::Always)) {
      if (reopening) InitializeControls(1, false);
      return;
    }
    // The grid's working copies belong to the image being replaced, and so does Image
    // Details; they go with it, and so does the compare image it was compared with. The
    // chart stays and draws the new image.
    for (QMdiSubWindow* child : mdiArea_->subWindowList())
      if (qobject_cast<frmAFRChart*>(child->widget()) == nullptr) child->close();
    CloseCompareFile();
    images_->ReplaceBIN(std::move(image));
    imageSteps_->clear();  // the steps were the other image's
    InitializeControls(0, false);
    if (images_->gobjBIN().FileOpened()) ReportStoredChecksum();
  });
}

void frmMain::OpenGivenFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  // Queued, as a drop is: started from main() the window is on the screen by then, so the
  // questions and reports of the open have it to stand over.
  QMetaObject::invokeMethod(
      this,
      [this, paths] {
        OpenBinaryFile(settings_.gblnBackupBIN, paths.front());
        for (const QString& path : paths.mid(1))
          shell_->WriteLog("Vantorix opens one image at a time; not opened: " + FileSystemPath(path));
      },
      Qt::QueuedConnection);
}

bool frmMain::IsSameFile(const std::string& first, const std::string& second) {
  std::error_code unknown;
  return std::filesystem::equivalent(first, second, unknown);
}

void frmMain::ReportStoredChecksum() {
  clsBINFile& image = images_->gobjBIN();
  const std::string stored = image.Checksum();
  const std::string computed = PadLeft(image.CalculateCSUM(), 4, "0");
  fileChecksumAgrees_ = stored == computed;
  if (!fileChecksumAgrees_)
    shell_->WriteLog("Stored checksum " + stored + " does not match the contents (" + computed +
                     "); saving will store " + computed + ".");
}

bool frmMain::SaveChangesFirst() {
  clsBINFile& image = images_->gobjBIN();
  if (!image.Changed()) return true;
  const MsgBoxResult answer = shell_->MsgBox(
      "You have made changes to the current BIN.  Do you wish to save these changes?\r\n\r\nCurrent BIN: " +
          image.FilePath(),
      MsgBoxStyle::YesNoCancelExclamation, "Save Changes", BoxKind::Question("SaveChanges"));
  if (answer == MsgBoxResult::Cancel) return false;
  if (answer == MsgBoxResult::Yes) {
    const BusyPointer busy;
    // A save that failed has been reported; going on would throw the changes away.
    if (!roads::SaveImage(*shell_, image, this, VersionEvent::Saved, roads::SaveLines::Quiet)) return false;
  }
  return true;
}

void frmMain::mnuClose_Click() {
  Trapped("mnuClose_Click", [this] {
    if (!CloseGridFirst() || !SaveChangesFirst()) return;
    UnloadOtherWindows();
    clsBINFile& image = images_->gobjBIN();
    shell_->WriteLog("Closing current binary file: " + image.FilePath());
    image.CloseBIN();
    imageSteps_->clear();
    shell_->WriteLog("Binary file Closed.");
    CloseCompareFile(true);
    InitializeControls(1, false);
  });
}

bool frmMain::ApplyGridChangesFirst() {
  const QPointer<frmAFR> grid = Grid();
  if (grid == nullptr || !grid->HasUnwrittenChanges()) return true;
  const MsgBoxResult answer = shell_->MsgBox(
      "The Target AFR grid holds changes that are not in the BIN yet.  Do you wish to apply them before "
      "saving?\r\n\r\nYes applies them (as OK on the grid does) and saves, No saves without them, Cancel "
      "saves nothing.",
      MsgBoxStyle::YesNoCancelExclamation, "Apply AFR Changes", BoxKind::Question("ApplyAfrChanges"));
  if (answer == MsgBoxResult::Cancel) return false;
  if (answer == MsgBoxResult::Yes) {
    grid->cmdOK_Click();
    if (grid != nullptr && grid->HasUnwrittenChanges()) return false;  // the write-back failed and was reported
  }
  return true;
}

void frmMain::mnuSave_Click() {
  Trapped("mnuSave_Click", [this] {
    if (!ApplyGridChangesFirst()) return;
    clsBINFile& image = images_->gobjBIN();
    const BusyPointer busy;
    if (!roads::SaveImage(*shell_, image, this, VersionEvent::Saved, roads::SaveLines::Logged)) return;
    mssbVarious_->SetPanelText(3, QStringLiteral("CSUM (hex): ") + QString::fromStdString(image.Checksum()));
  });
}

void frmMain::mnuSaveAs_Click() {
  Trapped("mnuSaveAs_Click", [this] {
    if (!ApplyGridChangesFirst()) return;
    clsBINFile& image = images_->gobjBIN();
    const std::string current = image.FilePath();
    const std::string path = AskForFileToWrite(
        this, *shell_,
        {.title = QStringLiteral("Save As"),
         .objectName = QStringLiteral("dlgSaveAs"),
         .nameFilter = QStringLiteral("Binary File (*.bin)"),
         .suffix = QStringLiteral("bin"),
         .folder = QFileInfo(QFile::decodeName(current.c_str())).absolutePath(),
         .nativeDialog = nativeFileDialog_,
         .refusal = [&current](const std::string& chosen) { return SaveAsRefusal(chosen, current); },
         .refusalBox = "SaveAsOverBackup",
         .replaceBox = "ReplaceImage",
         // The open image itself: a plain Save, which nobody asks about.
         .writtenUnasked = [&current](const std::string& chosen) { return NamesFile(chosen, current); }});
    if (path.empty()) return;
    const BusyPointer busy;
    const Outcome saved = roads::SaveImage(*shell_, image, this, VersionEvent::Saved, roads::SaveLines::Logged, path);
    // A refusal the dialog did not catch (the backup's name made meanwhile) is told here.
    if (saved.Result() == Outcome::Kind::Refused && !saved.Detail().empty())
      shell_->MsgBox(saved.Detail(), MsgBoxStyle::Exclamation, "Save As", BoxKind::Message("SaveAsOverBackup"));
    // The path bar names the file that is the image's now, also after a failure.
    InitializeControls(2, false);
  });
}

void frmMain::mnuExit_Click() {
  Trapped("mnuExit_Click", [this] { close(); });
}

bool frmMain::MDIForm_QueryUnload() {
  if (IsWindowOpen(QStringLiteral("frmAFR"))) {
    shell_->MsgBox(
        "Please close the WOT PE AFR screen before exiting.  Choosing OK will save your changes.  Choosing Cancel "
        "will undo your changes.",
        MsgBoxStyle::OkOnly, "Close AFR Screen", BoxKind::Message("CloseAfrScreen"));
    return true;
  }
  return !SaveChangesFirst();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // Stays open unless the check below lets it go, also when the check fails halfway.
  event->ignore();
  if (MDIForm_QueryUnload()) return;
  UnloadOtherWindows();
  event->accept();
}

}  // namespace vantorix
