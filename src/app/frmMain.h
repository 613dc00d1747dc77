#pragma once

#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QScopeGuard>
#include <memory>
#include <optional>

#include "app/KeyStates.h"
#include "app/MessageBoxes.h"
#include "app/WindowShell.h"
#include "app/basMain.h"
#include "foundation/ErrorReport.h"
#include "history/Recorder.h"
#include "pe/AfrTable.h"
#include "wbpatch/WideBandCommand.h"
#include "wbpatch/WideBandPatch.h"

class QAction;
class QFileDialog;
class QListWidget;
class QMdiArea;
class QMenu;
class QMimeData;
class QProgressBar;
class QUndoGroup;
class QUndoStack;

namespace vantorix {

class StatusPanelBar;
class frmAFR;
class frmAFRChart;
class frmImageDetails;
class frmAbout;
class frmInstructions;

// What the main window talks to outside itself. Every field may stay empty: the real
// message boxes, keyboard, file system, clock and system locale are used then.
struct MainWindowServices {
  MessageBoxes* boxes = nullptr;
  KeyStates* keys = nullptr;
  FileSystem* files = nullptr;
  wbpatch::TableSource* patchTables = nullptr;
  WindowShell::Clock clock;
  std::optional<QLocale> locale;
  bool nativeFileDialog = true;
};

// The multiple-document main window: menus, the path and status bars, the progress bar
// and the activity log. It owns the current image and is the shell every other part
// reports through.
class frmMain final : public QMainWindow, private VersionKeeper {
  Q_OBJECT

 public:
  explicit frmMain(const Settings& settings, MainWindowServices services = {});
  ~frmMain() override;

  // Brings menus and status bars in line with the current image.
  // enmFileStatus 0: an image was just opened; 1: no image is loaded; other: refresh only.
  void InitializeControls(int enmFileStatus, bool blnOnStart);

  Shell& shell() { return *shell_; }
  ImageReferences& images() { return *images_; }
  const Settings& settings() const { return settings_; }
  QMdiArea& mdiArea() { return *mdiArea_; }

  // File menu.
  void mnuOpen_Click();
  void mnuClose_Click();
  void mnuSave_Click();
  void mnuSaveAs_Click();
  void mnuExit_Click();
  // Opens the file at path, or asks for one when path is empty; the command behind
  // File > Open and behind dropping a file on the window.
  void OpenBinaryFile(bool blnBackupFile, QString strPath);
  // The files named on the command line: the first is opened as File > Open opens it,
  // once the event loop runs; each of the others gets a log line saying it was not.
  void OpenGivenFiles(const QStringList& paths);
  // File > Open Compare BIN… and Compare With Backup: a second image of the same mask,
  // only ever read, whose differences the grid, the chart and Image Details show.
  void mnuOpenCompare_Click();
  void mnuCompareBackup_Click();
  // Opens path as the compare image; path empty: asks for one. `files` holds a version's
  // bytes in memory; none: the file is read from the disk, without a lock.
  void OpenCompareFile(QString strPath, std::unique_ptr<FileSystem> files = nullptr);

  // Edit menu: while the grid is open, its changes not yet written; else the image's steps.
  void mnuUndo_Click();
  void mnuRedo_Click();

  // Binary menu.
  void mnuAFRs_Click();
  void mnuWBAdd_Click();
  void mnuWBRemove_Click();
  void mnuImageDetails_Click();
  void mnuAFRChart_Click();

  // Help menu.
  void mnuAbout_Click();
  void mnuInstructions_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void MDIForm_Load();
  void MDIForm_Resize();
  // True when the window must stay open.
  bool MDIForm_QueryUnload();
  void WriteBanner();
  void SetMenusForNoImage();
  // Asks to save unsaved changes; false when the user cancels or the save failed.
  bool SaveChangesFirst();
  // Offers to apply the grid's changes that are not in the image yet before a save; false
  // when the save is not to go on.
  bool ApplyGridChangesFirst();
  // The AFR grid while it is open.
  frmAFR* Grid() const;
  frmAFRChart* ChartWindow() const;
  frmImageDetails* Details() const;
  // Closes the grid when it holds unwritten changes, after its own question; false when
  // the user goes back to it. Asked before SaveChangesFirst, whose question then covers
  // the changes the grid has kept.
  bool CloseGridFirst();
  // Whether both paths name one file, so that reopening it lets go of the open one first.
  static bool IsSameFile(const std::string& first, const std::string& second);
  // Logs a stored checksum that does not match the image just opened, and keeps whether it did.
  void ReportStoredChecksum();
  // The title's modified marker follows the image's Changed.
  void ShowUnsavedChanges();
  bool IsWindowOpen(const QString& name) const;
  void UnloadOtherWindows();
  void RefreshKeyPanels();
  static QString DroppedImagePath(const QMimeData* data);
  void RunWideBandCommand(const wbpatch::WideBandCommand& command, const QString& step);
  // The undo lists and the Edit menu's names for their next steps.
  void BuildUndo();
  // Makes the change from `before` to the image's bytes now one step of the image's undo
  // list; a change that left every byte as it was is none.
  void PushImageStep(const QString& text, std::vector<std::uint8_t> before);
  // What undo and redo of an image step do: the bytes back into the image, changed unless
  // its file holds just these.
  void PutImageBytes(const std::vector<std::uint8_t>& bytes);
  // What the open and save roads keep: into the history, and the bytes as read at open
  // for Image Details, which also learns of each saved version.
  void Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) override;
  // File > Recent Images: the files last opened or saved, read from the history once the
  // window is up and followed from then on.
  void LoadRecentImages();
  void NoteRecentImage(const std::string& path);
  void ShowRecentImages();

  // Asks for an image to open with the common dialog; empty when the user cancels.
  QString AskForImage(const QString& title);
  // Closes the compare image with its two log lines: always (File > Close), or only when
  // one is open.
  void CloseCompareFile(bool evenWhenNoneIsOpen = false);
  // The compare image's target AFRs, when one is open.
  std::optional<pe::AfrTable> CompareTable();
  // The windows that show the image follow it: the chart draws what the grid or the image
  // holds, and the grid, the chart and Image Details mark the compare image's differences.
  void RefreshViews();

  // Every command ends by showing whether the image now differs from its file, and the
  // windows that show it follow.
  template <class Body>
  auto Trapped(std::string_view procedure, Body&& body) {
    const QScopeGuard showChanges([this] {
      ShowUnsavedChanges();
      RefreshViews();
    });
    return Trap(*shell_, ErrorSite{kWindowErrorTitle, "frmMain", procedure}, std::forward<Body>(body));
  }

  Settings settings_;
  double dpi_;
  std::unique_ptr<MessageBoxes> ownBoxes_;
  std::unique_ptr<KeyStates> ownKeys_;
  MessageBoxes* boxes_;
  KeyStates* keys_;
  FileSystem* files_;
  wbpatch::TableSource* patchTables_;
  wbpatch::WideBandPatch patch_;  // over patchTables_: what every image opened here writes from
  WindowShell::Clock clock_;
  QLocale locale_;
  bool nativeFileDialog_;

  StatusPanelBar* mssbPaths_ = nullptr;
  StatusPanelBar* mssbVarious_ = nullptr;
  QProgressBar* ProgressBar1_ = nullptr;
  QMdiArea* mdiArea_ = nullptr;
  QWidget* pbLog_ = nullptr;
  QListWidget* lstLog_ = nullptr;
  QFileDialog* dlgCommonDialog1_ = nullptr;

  QMenu* mnuFile_ = nullptr;
  QMenu* mnuEdit_ = nullptr;
  QMenu* mnuBinary_ = nullptr;
  QMenu* mnuHelp_ = nullptr;
  QAction* mnuOpen_ = nullptr;
  QAction* mnuClose_ = nullptr;
  QAction* mnuSave_ = nullptr;
  QAction* mnuSaveAs_ = nullptr;
  QAction* mnuExit_ = nullptr;
  QAction* mnuOpenCompare_ = nullptr;
  QAction* mnuCompareBackup_ = nullptr;
  QMenu* mnuRecent_ = nullptr;
  std::vector<std::string> recent_;  // absolute paths, the most recent first
  QAction* mnuUndo_ = nullptr;
  QAction* mnuRedo_ = nullptr;
  QUndoGroup* undoGroup_ = nullptr;   // Edit > Undo and Redo act on its active list
  QUndoStack* imageSteps_ = nullptr;  // the image's: emptied when an image is opened or closed

  std::unique_ptr<WindowShell> shell_;
  std::unique_ptr<ImageReferences> images_;
  std::unique_ptr<history::Recorder> history_;
  std::vector<std::uint8_t> bytesAtOpen_;  // for the changes Image Details shows
  std::vector<std::uint8_t> fileBytes_;    // what the file holds, as last read or saved
  // Whether the file, as last read or saved, stores the checksum of its bytes: Image
  // Details warns only about a file that does not.
  bool fileChecksumAgrees_ = true;
  QPointer<frmAbout> about_;
  QPointer<frmInstructions> instructions_;

  bool insertOn_ = false;
  bool trackedCapsLock_ = false;
  bool trackedNumLock_ = false;
};

}  // namespace vantorix
