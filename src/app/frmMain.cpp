#include "app/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QUndoGroup>
#include <QVBoxLayout>

#include "app/LogTime.h"
#include "app/MainWindowLayout.h"
#include "app/StatusPanelBar.h"
#include "bin/ImageRoads.h"
#include "foundation/AppInfo.h"
#include "help/frmAbout.h"
#include "help/frmInstructions.h"
#include "widgets/AppIcon.h"
#include "widgets/EditingKeys.h"
#include "widgets/Twips.h"
#include "widgets/WindowPlacement.h"

namespace vantorix {

namespace layout = main_layout;

namespace {

constexpr int kVariousMaskPanel = 1;
constexpr int kVariousIdPanel = 2;
constexpr int kVariousChecksumPanel = 3;
constexpr int kInsertPanel = 4;
constexpr int kCapsPanel = 5;
constexpr int kNumPanel = 6;
constexpr int kTimePanel = 7;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString TrueFalse(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

double ScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace

frmMain::frmMain(const Settings& settings, MainWindowServices services)
    : settings_(settings),
      dpi_(ScreenDpi()),
      ownBoxes_(services.boxes ? nullptr : std::make_unique<QtMessageBoxes>()),
      ownKeys_(services.keys ? nullptr : PlatformKeyStates()),
      boxes_(services.boxes ? services.boxes : ownBoxes_.get()),
      keys_(services.keys ? services.keys : ownKeys_.get()),
      files_(services.files ? services.files : &RealFileSystem()),
      patchTables_(services.patchTables ? services.patchTables : &wbpatch::UserTables()),
      patch_(*patchTables_),
      clock_(services.clock ? services.clock : [] { return QDateTime::currentDateTime(); }),
      locale_(services.locale.value_or(QLocale::system())),
      nativeFileDialog_(services.nativeFileDialog) {
  setObjectName(QStringLiteral("frmMain"));
  // The placeholder shows Qt's modified marker while the image has unsaved changes.
  setWindowTitle(QString::fromUtf8(app::kTitle.data(), static_cast<qsizetype>(app::kTitle.size())) +
                 QStringLiteral("[*]"));
  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  BuildControls();
  shell_ = std::make_unique<WindowShell>(*this, *lstLog_, *ProgressBar1_, *boxes_, clock_, locale_);
  images_ = std::make_unique<ImageReferences>(*shell_, *files_, patch_);
  history_ = std::make_unique<history::Recorder>([this](const std::string& line) { shell_->WriteLog(line); });
  BuildMenus();
  // After the first paint: the history is a database to open and check.
  QMetaObject::invokeMethod(this, &frmMain::LoadRecentImages, Qt::QueuedConnection);
  qApp->installEventFilter(this);
  MDIForm_Load();
}

frmMain::~frmMain() {
  qApp->removeEventFilter(this);
  undoGroup_->disconnect(this);  // the lists go with the window's children, after its members
}

void frmMain::BuildControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  mssbPaths_ = new StatusPanelBar(QStringLiteral("mssbPaths"), {layout::kPathPanel}, dpi_, central);
  mssbPaths_->setFixedHeight(twips::ToPixels(layout::kPathsBarHeight, dpi_));
  mssbPaths_->Panel(1).setToolTip(QStringLiteral("Current Binary file loaded"));

  ProgressBar1_ = new QProgressBar(central);
  ProgressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1_->setRange(0, 100);
  ProgressBar1_->setFixedHeight(twips::ToPixels(layout::kProgressBarHeight, dpi_));

  mdiArea_ = new QMdiArea(central);
  mdiArea_->setObjectName(QStringLiteral("mdiArea"));

  pbLog_ = new QWidget(central);
  pbLog_->setObjectName(QStringLiteral("pbLog"));
  pbLog_->setFixedHeight(twips::ToPixels(layout::kLogPanelHeight, dpi_));
  lstLog_ = new QListWidget(pbLog_);
  lstLog_->setObjectName(QStringLiteral("lstLog"));
  // Every line is one line of text: the list need not measure each item to scroll to the last.
  lstLog_->setUniformItemSizes(true);
  // The log takes the focus, and with it Ctrl+A and Ctrl+C, only when it is clicked: else
  // it would take it whenever the window is activated, and Ctrl+C would not close.
  lstLog_->setFocusPolicy(Qt::ClickFocus);
  KeepSelectAllAndCopy(*lstLog_, [this] {
    QString text;
    for (int row = 0; row < lstLog_->count(); ++row)
      if (lstLog_->item(row)->isSelected()) text += lstLog_->item(row)->text() + u'\n';
    return text;
  });
  lstLog_->setGeometry(twips::ToPixels(layout::kLogListLeft, dpi_), twips::ToPixels(layout::kLogListTop, dpi_),
                       twips::ToPixels(layout::kLogListWidth, dpi_), twips::ToPixels(layout::kLogListHeight, dpi_));

  const std::vector<layout::Panel> various(layout::kVariousPanels.begin(), layout::kVariousPanels.end());
  mssbVarious_ = new StatusPanelBar(QStringLiteral("mssbVarious"), various, dpi_, central);
  mssbVarious_->setFixedHeight(twips::ToPixels(layout::kVariousBarHeight, dpi_));
  const QString tips[] = {QStringLiteral("Binary Mask"),           QStringLiteral("PROM ID"),
                          QStringLiteral("Binary Checksum"),       QStringLiteral("Insert Key Pressed"),
                          QStringLiteral("Caps Lock Key Pressed"), QStringLiteral("Num Lock Key Pressed"),
                          QStringLiteral("Current Time / Date")};
  for (int panel = 1; panel <= mssbVarious_->PanelCount(); ++panel)
    mssbVarious_->Panel(panel).setToolTip(tips[panel - 1]);
  mssbVarious_->SetPanelText(kInsertPanel, QStringLiteral("INS"));
  mssbVarious_->SetPanelText(kCapsPanel, QStringLiteral("CAPS"));
  mssbVarious_->SetPanelText(kNumPanel, QStringLiteral("NUM"));
  for (const int panel : {kInsertPanel, kCapsPanel, kNumPanel})
    mssbVarious_->Panel(panel).setAlignment(Qt::AlignCenter);

  column->addWidget(mssbPaths_);
  column->addWidget(ProgressBar1_);
  column->addWidget(mdiArea_, 1);
  column->addWidget(pbLog_);
  column->addWidget(mssbVarious_);
  setCentralWidget(central);
}

void frmMain::BuildMenus() {
  auto item = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                     void (frmMain::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    if (handler != nullptr) connect(action, &QAction::triggered, this, handler);
    return action;
  };
  auto separator = [](QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
  };

  mnuFile_ = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile_->setObjectName(QStringLiteral("mnuFile"));
  mnuOpen_ = item(mnuFile_, "mnuOpen", QStringLiteral("&Open..."), QKeySequence(QStringLiteral("Ctrl+O")),
                  &frmMain::mnuOpen_Click);
  mnuRecent_ = mnuFile_->addMenu(QStringLiteral("Recent &Images"));
  mnuRecent_->setObjectName(QStringLiteral("mnuRecent"));
  mnuRecent_->menuAction()->setObjectName(QStringLiteral("mnuRecent"));
  mnuRecent_->setEnabled(false);
  mnuOpenCompare_ = item(mnuFile_, "mnuOpenCompare", QStringLiteral("Open Co&mpare BIN..."),
                         QKeySequence(QStringLiteral("Ctrl+Shift+O")), &frmMain::mnuOpenCompare_Click);
  mnuCompareBackup_ = item(mnuFile_, "mnuCompareBackup", QStringLiteral("Compare With &Backup"), QKeySequence(),
                           &frmMain::mnuCompareBackup_Click);
  mnuClose_ = item(mnuFile_, "mnuClose", QStringLiteral("&Close File"), QKeySequence(QStringLiteral("Ctrl+C")),
                   &frmMain::mnuClose_Click);
  separator(mnuFile_, "mnuBreak1");
  mnuSave_ = item(mnuFile_, "mnuSave", QStringLiteral("&Save"), QKeySequence(QStringLiteral("Ctrl+S")),
                  &frmMain::mnuSave_Click);
  mnuSaveAs_ = item(mnuFile_, "mnuSaveAs", QStringLiteral("Save &As..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                    &frmMain::mnuSaveAs_Click);
  separator(mnuFile_, "mnubreak13");
  mnuExit_ = item(mnuFile_, "mnuExit", QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+X")),
                  &frmMain::mnuExit_Click);

  mnuEdit_ = menuBar()->addMenu(QStringLiteral("&Edit"));
  mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));
  mnuUndo_ = item(mnuEdit_, "mnuUndo", QStringLiteral("&Undo"), QKeySequence(QStringLiteral("Ctrl+Z")),
                  &frmMain::mnuUndo_Click);
  mnuRedo_ = item(mnuEdit_, "mnuRedo", QStringLiteral("&Redo"), QKeySequence(), &frmMain::mnuRedo_Click);
  mnuRedo_->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
  BuildUndo();

  mnuBinary_ = menuBar()->addMenu(QStringLiteral("&Binary"));
  mnuBinary_->setObjectName(QStringLiteral("mnuBinary"));
  mnuBinary_->menuAction()->setObjectName(QStringLiteral("mnuBinaryAction"));
  item(mnuBinary_, "mnuAFRs", QStringLiteral("&Power Enrichment Target AFRs"), QKeySequence(QStringLiteral("Ctrl+W")),
       &frmMain::mnuAFRs_Click);
  item(mnuBinary_, "mnuAFRChart", QStringLiteral("AFR &Chart"), QKeySequence(QStringLiteral("Ctrl+G")),
       &frmMain::mnuAFRChart_Click);
  separator(mnuBinary_, "mnuBreak20");
  item(mnuBinary_, "mnuWBAdd", QStringLiteral("&Add DIY-WB Hack"), QKeySequence(QStringLiteral("Ctrl+A")),
       &frmMain::mnuWBAdd_Click);
  item(mnuBinary_, "mnuWBRemove", QStringLiteral("&Remove DIY-WB Hack"), QKeySequence(QStringLiteral("Ctrl+R")),
       &frmMain::mnuWBRemove_Click);
  separator(mnuBinary_, "mnuBreak21");
  item(mnuBinary_, "mnuImageDetails", QStringLiteral("&Image Details"), QKeySequence(QStringLiteral("Ctrl+I")),
       &frmMain::mnuImageDetails_Click);

  mnuHelp_ = menuBar()->addMenu(QStringLiteral("&Help"));
  mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
  item(mnuHelp_, "mnuInstructions", QStringLiteral("&Instructions"), QKeySequence(), &frmMain::mnuInstructions_Click);
  item(mnuHelp_, "mnuAbout", QStringLiteral("&About"), QKeySequence(), &frmMain::mnuAbout_Click);
}

void frmMain::MDIForm_Load() {
  Trapped("MDIForm_Load", [this] {
    // On a screen smaller than the design (a laptop at 200 %) the log and the status bar
    // would be cut off below it. The frame counts too: platforms that draw or know it tell
    // its size once the window exists.
    create();
    const QSize designed(twips::ToPixels(layout::kWindowWidth, dpi_), twips::ToPixels(layout::kWindowHeight, dpi_));
    resize(placement::Fitting(designed, placement::FrameOf(*this), placement::AvailableArea(*this)));
    ProgressBar1_->hide();
    InitializeControls(1, true);
  });
}

void frmMain::InitializeControls(int enmFileStatus, bool blnOnStart) {
  Trapped("InitializeControls", [&] {
    if (blnOnStart) {
      mssbVarious_->setVisible(settings_.gblnShowStatusBar);
      pbLog_->setVisible(settings_.gblnShowLog);
      mssbVarious_->SetPanelText(kTimePanel, StartTimeText(clock_(), locale_));
      WriteBanner();
      RefreshKeyPanels();
    }

    if (enmFileStatus == 0) {
      const std::string mask = images_->gobjBIN().Mask();
      if (roads::IsEditableMask(mask)) {
        mnuBinary_->menuAction()->setEnabled(true);
        mnuOpen_->setEnabled(true);
        mnuClose_->setEnabled(true);
        mnuSave_->setEnabled(true);
        mnuSaveAs_->setEnabled(true);
        mnuOpenCompare_->setEnabled(true);
        mnuCompareBackup_->setEnabled(true);
      } else {
        mnuBinary_->menuAction()->setEnabled(false);
        mnuClose_->setEnabled(true);
        mnuSave_->setEnabled(true);
        mnuSaveAs_->setEnabled(true);
        mnuClose_Click();
        shell_->MsgBox(std::string(roads::kEditableMasksOnly), MsgBoxStyle::OkOnly, std::string(app::kTitle),
                       BoxKind::Message("EditableMasksOnly"));
      }
    } else if (enmFileStatus == 1) {
      SetMenusForNoImage();
    }

    clsBINFile& image = images_->gobjBIN();
    clsBINFile& compare = images_->gobjCompareBIN();
    mssbPaths_->SetPanelText(
        1, QStringLiteral("Current BIN: ") + Text(image.FilePath()) +
               (compare.FileOpened() ? QStringLiteral("    Compare BIN: ") + Text(compare.FilePath()) : QString()));
    mssbVarious_->SetPanelText(kVariousMaskPanel, QStringLiteral("Mask (hex): ") + Text(image.Mask()));
    mssbVarious_->SetPanelText(kVariousIdPanel, QStringLiteral("ID (dec): ") + Text(image.PROMID()));
    mssbVarious_->SetPanelText(kVariousChecksumPanel, QStringLiteral("CSUM (hex): ") + Text(image.Checksum()));
  });
}

void frmMain::WriteBanner() {
  const std::string title(app::kTitle);
  const std::string product(app::kProductName);
  shell_->WriteLog(product + ":  " + title);
  shell_->WriteLog(std::string(app::kCopyright));
  shell_->WriteLog("--------------------------------- Starting " + title + " ---------------------------------------");
  shell_->WriteLog(product + ":  " + title + "  Version: " + std::to_string(app::kVersionMajor) + "." +
                   std::to_string(app::kVersionMinor) + "." + std::to_string(app::kVersionRevision));
  shell_->WriteLog("Using Corvennis' WideBand Hacs (" + std::string(app::kPatchAuthorPage) + ").");
  shell_->WriteLog("Initial Directory = '" + settings_.gstrInitialDirectory + "'.");
  shell_->WriteLog("Backup BIN = " + TrueFalse(settings_.gblnBackupBIN).toStdString());
  shell_->WriteLog("Backup Compare BIN = " + TrueFalse(settings_.gblnBackupCompareBIN).toStdString());
}

void frmMain::SetMenusForNoImage() {
  mnuBinary_->menuAction()->setEnabled(false);
  mnuOpen_->setEnabled(true);
  mnuClose_->setEnabled(false);
  mnuSave_->setEnabled(false);
  mnuSaveAs_->setEnabled(false);
  mnuOpenCompare_->setEnabled(false);
  mnuCompareBackup_->setEnabled(false);
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  MDIForm_Resize();
}

void frmMain::MDIForm_Resize() {
  Trapped("MDIForm_Resize", [this] {
    const layout::ResizeResult rules = layout::ResizeRules(twips::FromPixels(frameGeometry().width(), dpi_));
    mssbPaths_->SetPanelMinWidthTwips(1, rules.pathPanelMinWidth);
    mssbVarious_->SetPanelMinWidthTwips(kTimePanel, rules.timePanelMinWidth);
    if (rules.logListResized) lstLog_->resize(twips::ToPixels(rules.logListWidth, dpi_), lstLog_->height());
  });
}

void frmMain::mnuAbout_Click() {
  if (about_ == nullptr) {
    about_ = new frmAbout(*shell_, this);
    placement::OpenCentredOn(*about_, *this);
  }
  about_->show();
  about_->raise();
  about_->activateWindow();
}

void frmMain::mnuInstructions_Click() {
  if (instructions_ == nullptr) {
    instructions_ = new frmInstructions(this);
    placement::OpenCentredOn(*instructions_, *this);
  }
  instructions_->show();
  instructions_->raise();
  instructions_->activateWindow();
}

bool frmMain::IsWindowOpen(const QString& name) const {
  for (const QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->objectName() == name) return true;
  for (const QMdiSubWindow* child : mdiArea_->subWindowList())
    if (child->isVisible() &&
        (child->objectName() == name || (child->widget() && child->widget()->objectName() == name)))
      return true;
  return false;
}

void frmMain::UnloadOtherWindows() {
  for (QMdiSubWindow* child : mdiArea_->subWindowList()) child->close();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this && window->isVisible()) window->close();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) RefreshKeyPanels();
  // A closing MDI child clears its top-level window's marker; the image decides it.
  if (event->type() == QEvent::ModifiedChange) ShowUnsavedChanges();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // Key events reach the window once, before being passed along the widget chain.
  if (event->type() == QEvent::KeyPress && watched->isWindowType() && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Insert: insertOn_ = !insertOn_; break;
      case Qt::Key_CapsLock: trackedCapsLock_ = !trackedCapsLock_; break;
      case Qt::Key_NumLock: trackedNumLock_ = !trackedNumLock_; break;
      default: break;
    }
  }
  if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWindowType())
    RefreshKeyPanels();
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::RefreshKeyPanels() {
  mssbVarious_->Panel(kInsertPanel).setEnabled(insertOn_);
  mssbVarious_->Panel(kCapsPanel).setEnabled(keys_->CapsLock().value_or(trackedCapsLock_));
  mssbVarious_->Panel(kNumPanel).setEnabled(keys_->NumLock().value_or(trackedNumLock_));
}

QString frmMain::DroppedImagePath(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().constFirst();
  if (!url.isLocalFile() || !url.toLocalFile().endsWith(QStringLiteral(".bin"), Qt::CaseInsensitive)) return {};
  return url.toLocalFile();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedImagePath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
  const QString path = DroppedImagePath(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop has ended: the questions the open may ask would otherwise keep
  // the program the file came from waiting.
  QMetaObject::invokeMethod(
      this, [this, path] { OpenBinaryFile(settings_.gblnBackupBIN, path); }, Qt::QueuedConnection);
}

void frmMain::ShowUnsavedChanges() {
  // Qt announces every setWindowModified, even one that changes nothing, to changeEvent.
  if (images_ && isWindowModified() != images_->BINChanged()) setWindowModified(images_->BINChanged());
}

}  // namespace vantorix
