#include "details/frmImageDetails.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "diff/ImageDiff.h"
#include "foundation/NumberText.h"
#include "pe/AfrGridLabels.h"
#include "pe/AfrTable.h"
#include "wbpatch/PatchTable.h"

namespace vantorix {

namespace {

// Often enough that a change made anywhere shows at once to the eye; comparing 32 KB
// this often costs nothing one could measure.
constexpr int kWatchMilliseconds = 250;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Numbers(const std::vector<std::int16_t>& values) {
  QStringList texts;
  for (const std::int16_t value : values) texts << QString::number(value);
  return texts.join(u' ');
}

}  // namespace

frmImageDetails::frmImageDetails(Shell& shell, clsBINFile& image, std::vector<std::uint8_t> bytesAtOpen,
                                 bool fileChecksumAgrees, history::Recorder& history, wbpatch::TableSource& patchTables,
                                 bool nativeFileDialog, QWidget* parent)
    : QWidget(parent),
      m_shell(shell),
      m_image(image),
      m_bytesAtOpen(std::move(bytesAtOpen)),
      m_fileChecksumAgrees(fileChecksumAgrees),
      m_history(history),
      m_patchTables(patchTables),
      m_nativeFileDialog(nativeFileDialog) {
  setObjectName(QStringLiteral("frmImageDetails"));
  setWindowTitle(QStringLiteral("Image Details"));
  setAttribute(Qt::WA_DeleteOnClose);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  // The window can be made smaller than its rows: they scroll then, each kept whole,
  // instead of being squeezed until their text is cut.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("scrDetails"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  (new QVBoxLayout(this))->addWidget(scroll);
  auto* contents = new QWidget(scroll);
  m_contents = contents;
  scroll->setWidget(contents);
  auto* column = new QVBoxLayout(contents);
  auto* facts = new QFormLayout();
  column->addLayout(facts);
  const auto row = [&](const QString& caption, const char* name) {
    auto* value = new QLabel(contents);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Sentences wrap to the window's width; a path, one long word, scrolls sideways instead.
    value->setWordWrap(qstrcmp(name, "lblPath") != 0);
    facts->addRow(caption, value);
    return value;
  };
  lblPath = row(QStringLiteral("Path:"), "lblPath");
  lblSize = row(QStringLiteral("Size:"), "lblSize");
  lblMask = row(QStringLiteral("Mask:"), "lblMask");
  lblPromId = row(QStringLiteral("PROM ID:"), "lblPromId");
  lblStoredChecksum = row(QStringLiteral("Stored checksum:"), "lblStoredChecksum");
  lblComputedChecksum = row(QStringLiteral("Computed checksum:"), "lblComputedChecksum");
  lblTransmission = row(QStringLiteral("Transmission:"), "lblTransmission");
  lblBcc = row(QStringLiteral("Broadcast code:"), "lblBcc");
  lblPatch = row(QStringLiteral("Wideband patch:"), "lblPatch");
  lblPatchTable = row(QStringLiteral("Patch table:"), "lblPatchTable");
  lblCoolantModifiers = row(QStringLiteral("PE coolant modifiers:"), "lblCoolantModifiers");
  lblRpmModifiers = row(QStringLiteral("PE RPM modifiers:"), "lblRpmModifiers");

  auto* changes = new QGroupBox(QStringLiteral("Changes since the image was opened"), contents);
  lstChanges = new QListWidget(changes);
  lstChanges->setObjectName(QStringLiteral("lstChanges"));
  lstChanges->setFont(fixed);
  (new QVBoxLayout(changes))->addWidget(lstChanges);
  column->addWidget(changes, 1);

  auto* compare = new QGroupBox(QStringLiteral("Differences from the compare image"), contents);
  grpCompare = compare;
  grpCompare->setObjectName(QStringLiteral("grpCompare"));
  lstCompare = new QListWidget(compare);
  lstCompare->setObjectName(QStringLiteral("lstCompare"));
  lstCompare->setFont(fixed);
  (new QVBoxLayout(compare))->addWidget(lstCompare);
  column->addWidget(compare, 1);
  grpCompare->hide();

  auto* versions = new QGroupBox(QStringLiteral("Versions of this file in the history"), contents);
  auto* versionsColumn = new QVBoxLayout(versions);
  lblVersions = new QLabel(versions);
  lblVersions->setObjectName(QStringLiteral("lblVersions"));
  lblVersions->setWordWrap(true);
  lstVersions = new QTreeWidget(versions);
  lstVersions->setObjectName(QStringLiteral("lstVersions"));
  lstVersions->setRootIsDecorated(false);
  lstVersions->setHeaderLabels({QStringLiteral("Version"), QStringLiteral("Time (UTC)"), QStringLiteral("Event"),
                                QStringLiteral("Size"), QStringLiteral("Mask"), QStringLiteral("PROM ID"),
                                QStringLiteral("Checksum"), QStringLiteral("Changed")});
  lstVersions->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  cmdCopyVersion = new QPushButton(QStringLiteral("&Copy Version To..."), versions);
  cmdCopyVersion->setObjectName(QStringLiteral("cmdCopyVersion"));
  cmdCopyVersion->setEnabled(false);
  cmdCompareVersion = new QPushButton(QStringLiteral("Compare &With This Version"), versions);
  cmdCompareVersion->setObjectName(QStringLiteral("cmdCompareVersion"));
  cmdCompareVersion->setEnabled(false);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch();
  buttons->addWidget(cmdCompareVersion);
  buttons->addWidget(cmdCopyVersion);
  versionsColumn->addWidget(lblVersions);
  versionsColumn->addWidget(lstVersions);
  versionsColumn->addLayout(buttons);
  column->addWidget(versions, 1);

  connect(lstVersions, &QTreeWidget::itemSelectionChanged, this, [this] {
    const bool chosen = !lstVersions->selectedItems().isEmpty();
    cmdCopyVersion->setEnabled(chosen);
    cmdCompareVersion->setEnabled(chosen);
  });
  connect(cmdCopyVersion, &QPushButton::clicked, this, &frmImageDetails::cmdCopyVersion_Click);
  connect(cmdCompareVersion, &QPushButton::clicked, this, &frmImageDetails::cmdCompareVersion_Click);
  connect(&m_watch, &QTimer::timeout, this, &frmImageDetails::RefreshWhenChanged);
  Refresh();
  m_watch.start(kWatchMilliseconds);
}

void frmImageDetails::closeEvent(QCloseEvent* event) {
  m_watch.stop();  // the image may go before this window is destroyed
  QWidget::closeEvent(event);
}

void frmImageDetails::RefreshWhenChanged() {
  if (isVisible() && (m_image.Changed() != m_shownChanged || !std::ranges::equal(m_image.Bytes(), m_shownBytes)))
    Refresh();
}

void frmImageDetails::Refresh() {
  Trapped("Refresh", [this] {
    m_shownBytes.assign(m_image.Bytes().begin(), m_image.Bytes().end());
    m_shownChanged = m_image.Changed();
    ShowFacts();
    const std::string mask = IdentityOf(m_shownBytes).mask;
    ShowPatch(mask);
    ShowChanges(mask);
    ShowCompare(mask);
    ShowVersions();
  });
}

QSize frmImageDetails::sizeHint() const {
  const QMargins margins = layout()->contentsMargins();
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return m_contents->sizeHint() + QSize(margins.left() + margins.right() + scrollBar, margins.top() + margins.bottom());
}

void frmImageDetails::ShowFacts() {
  const history::Facts facts = IdentityOf(m_shownBytes);
  lblPath->setText(Text(m_image.FilePath()));
  lblSize->setText(QStringLiteral("%1 bytes").arg(facts.size));
  lblMask->setText(QStringLiteral("$") + Text(facts.mask));
  lblPromId->setText(Text(facts.promId));
  lblStoredChecksum->setText(Text(facts.storedChecksum));
  const QString computed =
      Text(number::HexText(static_cast<std::uint32_t>(number::ParseHexLong(m_image.CalculateCSUM())), 4));
  const bool agrees = computed == Text(facts.storedChecksum);
  // Changes in memory leave the stored checksum alone until the save stores the new one:
  // that is the ordinary way of things, not a fault. A file that came with a wrong one is.
  const bool untilSaved = !agrees && m_fileChecksumAgrees && m_image.Changed();
  const bool warning = !agrees && !untilSaved;
  lblComputedChecksum->setText(computed + (agrees ? QStringLiteral(" (agrees)")
                                           : untilSaved
                                               ? QStringLiteral(" \u2014 stored when you save")
                                               : QStringLiteral(" (does not agree with the stored checksum)")));
  // The engine computer checks this sum: a file that does not carry it must stand out.
  lblComputedChecksum->setProperty("warning", warning);
  lblComputedChecksum->setStyleSheet(warning ? QStringLiteral("color: #b00000; font-weight: bold;") : QString());
  const std::string transmission = m_image.Transmission();
  lblTransmission->setText(transmission.empty() ? QStringLiteral("-") : Text(transmission));
  lblBcc->setText(Text(m_image.WBBCC()));
  lblCoolantModifiers->setText(Numbers(m_image.GetPEModifiers_Coolant()));
  lblRpmModifiers->setText(Numbers(m_image.GetPEModifiers_RPM()));
}

void frmImageDetails::ShowPatch(const std::string& mask) {
  const auto version = wbpatch::VersionFor(mask, m_image.WBBCC());
  if (!version) {
    lblPatch->setText(QStringLiteral("none for this image"));
    lblPatchTable->setText(QStringLiteral("-"));
    return;
  }
  try {
    const wbpatch::Table table = m_patchTables.Load(*version);
    lblPatch->setText(Text(wbpatch::PatchStateText(*version, wbpatch::PatchStateOf(table, m_shownBytes))));
    lblPatchTable->setText(Text(wbpatch::TableName(table)));
  } catch (...) {
    lblPatch->setText(QStringLiteral("unknown"));
    lblPatchTable->setText(QStringLiteral("cannot be used: ") + Text(CurrentExceptionAsRuntimeError().Description()));
  }
}

void frmImageDetails::ShowChanges(const std::string& mask) {
  lstChanges->clear();
  for (const diff::Run& run : diff::DifferingRuns(m_bytesAtOpen, m_shownBytes, mask))
    lstChanges->addItem(Text(diff::RunLine(run, m_bytesAtOpen, m_shownBytes)));
  if (lstChanges->count() == 0) lstChanges->addItem(QStringLiteral("No changes since the image was opened."));
}

void frmImageDetails::ShowVersions() {
  lstVersions->clear();
  if (!m_history.On()) {
    lblVersions->setText(QStringLiteral("The history is turned off (VANTORIX_NO_HISTORY)."));
    return;
  }
  try {
    std::vector<history::Version> versions;
    std::optional<std::filesystem::path> file;
    m_history.Read([&](history::Store* store) {
      if (store == nullptr) return;
      versions = store->Versions(history::AbsolutePath(m_image.FilePath()));
      file = store->File();
    });
    for (const history::Version& v : versions) {
      const QString changed = !v.differing        ? QStringLiteral("first seen")
                              : *v.differing == 0 ? QStringLiteral("no change")
                                                  : QStringLiteral("%1 bytes").arg(*v.differing);
      auto* item =
          new QTreeWidgetItem(lstVersions, {QString::number(v.number), Text(v.time), Text(v.event),
                                            QString::number(v.facts.size), QStringLiteral("$") + Text(v.facts.mask),
                                            Text(v.facts.promId), Text(v.facts.storedChecksum), changed});
      item->setData(0, Qt::UserRole, Text(v.content));
    }
    lblVersions->setText(
        !file ? QStringLiteral("No version has been recorded yet.")
              : QStringLiteral("%1 version(s) in %2").arg(versions.size()).arg(QString::fromStdString(file->string())));
  } catch (...) {
    lblVersions->setText(QStringLiteral("The history cannot be read: ") +
                         Text(CurrentExceptionAsRuntimeError().Description()));
  }
  cmdCopyVersion->setEnabled(false);
  cmdCompareVersion->setEnabled(false);
}

void frmImageDetails::SetCompare(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (path == m_comparePath && bytes == m_compareBytes) return;
  m_comparePath = path;
  m_compareBytes = bytes;
  ShowCompare(IdentityOf(m_shownBytes).mask);
}

// The same runs vantorix-cli diff lists, compare image first, then the target AFRs that
// differ, each named by its RPM and temperature.
void frmImageDetails::ShowCompare(const std::string& mask) {
  lstCompare->clear();
  grpCompare->setVisible(!m_comparePath.empty());
  if (m_comparePath.empty()) return;
  lstCompare->addItem(QStringLiteral("Compare image: ") + Text(m_comparePath));
  for (const diff::Run& run : diff::DifferingRuns(m_compareBytes, m_shownBytes, mask))
    lstCompare->addItem(Text(diff::RunLine(run, m_compareBytes, m_shownBytes)));
  const auto before = pe::AfrTableOf(m_compareBytes, mask);
  const auto now = pe::AfrTableOf(m_shownBytes, mask);
  if (before && now)
    for (const pe::AfrCellChange& cell : pe::DifferingAfrs(*before, *now))
      lstCompare->addItem(QStringLiteral("target AFR at %1 RPM, %2 °C (%3 °F): %4 -> %5")
                              .arg(Text(afr_grid::RpmLabel(cell.row + 1)),
                                   Text(afr_grid::CelsiusLabel(cell.column + 1)),
                                   Text(afr_grid::FahrenheitLabel(cell.column + 1)), Text(number::GeneralText(cell.a)),
                                   Text(number::GeneralText(cell.b))));
  if (lstCompare->count() == 1) lstCompare->addItem(QStringLiteral("The images are identical."));
}

std::optional<std::vector<std::uint8_t>> frmImageDetails::SelectedVersionBytes() {
  const QList<QTreeWidgetItem*> selected = lstVersions->selectedItems();
  std::optional<std::vector<std::uint8_t>> bytes;
  if (selected.isEmpty()) return bytes;
  m_history.Read([&](history::Store* store) {
    if (store != nullptr) bytes = store->Bytes(selected.front()->data(0, Qt::UserRole).toString().toStdString());
  });
  return bytes;
}

void frmImageDetails::cmdCompareVersion_Click() {
  Trapped("cmdCompareVersion_Click", [this] {
    const auto bytes = SelectedVersionBytes();
    if (!bytes) return;
    const QString name =
        QStringLiteral("version %1 of %2").arg(lstVersions->selectedItems().front()->text(0), Text(m_image.FilePath()));
    emit CompareWithVersion(
        name, QByteArray(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size())));
  });
}

void frmImageDetails::cmdCopyVersion_Click() {
  Trapped("cmdCopyVersion_Click", [this] {
    const QList<QTreeWidgetItem*> selected = lstVersions->selectedItems();
    if (selected.isEmpty()) return;
    const QString number = selected.front()->text(0);
    QFileDialog dialog(this, QStringLiteral("Copy Version %1 To").arg(number));
    dialog.setObjectName(QStringLiteral("dlgCopyVersion"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_nativeFileDialog);
    dialog.setNameFilter(QStringLiteral("Binary File (*.bin)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    std::error_code error;
    // Never over a file: not the open image, nor any other a user might still need.
    if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found) {
      m_shell.MsgBox(
          path + " already exists.  A version is only ever copied to a new file: please choose another name.",
          MsgBoxStyle::Exclamation, "Copy Version", BoxKind::Message("CopyOverFile"));
      return;
    }
    const auto bytes = SelectedVersionBytes();
    if (!bytes) return;
    const std::string unflushed = ReplaceFileContents(RealFileSystem(), path, *bytes);
    m_shell.WriteLog("Version " + number.toStdString() + " copied to " + path + ".");
    if (!unflushed.empty()) m_shell.WriteLog(unflushed);
  });
}

}  // namespace vantorix
