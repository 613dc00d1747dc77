#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bin/clsBINFile.h"
#include "foundation/ErrorReport.h"
#include "foundation/Shell.h"
#include "history/Recorder.h"
#include "wbpatch/TableSource.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace vantorix {

// Image Details: everything Vantorix knows about the open image, read only. Its identity
// and checksums, transmission and broadcast code, the wideband patch state with the table
// that would be used, both PE modifier tables, the changes since the image was opened,
// and the file's versions in the history, any of which can be copied out to a new file.
// It follows the image: whatever changes it (the AFR grid, the patch, a save) shows here.
class frmImageDetails final : public QWidget {
  Q_OBJECT

 public:
  // fileChecksumAgrees: whether the image's file, as it was read, stores the checksum of its bytes.
  frmImageDetails(Shell& shell, clsBINFile& image, std::vector<std::uint8_t> bytesAtOpen, bool fileChecksumAgrees,
                  history::Recorder& history, wbpatch::TableSource& patchTables, bool nativeFileDialog,
                  QWidget* parent = nullptr);

  // Fills the window afresh from the image and the history.
  void Refresh();
  // After a save: the file now stores the checksum of what it holds.
  void FileChecksumAgrees(bool agrees) { m_fileChecksumAgrees = agrees; }
  // Asks for a new file and writes the selected version's bytes to it.
  void cmdCopyVersion_Click();
  // Asks the main window to open the selected version as the compare image.
  void cmdCompareVersion_Click();
  // The compare image whose differences from this image are listed; none: the list hides.
  void SetCompare(const std::string& path, const std::vector<std::uint8_t>& bytes);

 signals:
  // The user chose a version to compare with: its name and bytes.
  void CompareWithVersion(const QString& name, const QByteArray& bytes);

 public:
  // Room for every row whole, with the lists at their own preferred height: the size the
  // window opens at where the main window has the room.
  QSize sizeHint() const override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void RefreshWhenChanged();
  void ShowFacts();
  void ShowPatch(const std::string& mask);
  void ShowChanges(const std::string& mask);
  void ShowVersions();
  void ShowCompare(const std::string& mask);
  // The selected version's bytes, read from the history; none when there are none.
  std::optional<std::vector<std::uint8_t>> SelectedVersionBytes();

  Shell& m_shell;
  const ErrorTrapper Trapped{m_shell, kWindowErrorTitle, "frmImageDetails"};
  clsBINFile& m_image;
  const std::vector<std::uint8_t> m_bytesAtOpen;
  // A stored checksum that differs from the computed one only because of unsaved changes
  // is told without the warning.
  bool m_fileChecksumAgrees;
  history::Recorder& m_history;
  wbpatch::TableSource& m_patchTables;
  bool m_nativeFileDialog;
  QWidget* m_contents = nullptr;  // the scrolled rows

  QLabel* lblPath = nullptr;
  QLabel* lblSize = nullptr;
  QLabel* lblMask = nullptr;
  QLabel* lblPromId = nullptr;
  QLabel* lblStoredChecksum = nullptr;
  QLabel* lblComputedChecksum = nullptr;
  QLabel* lblTransmission = nullptr;
  QLabel* lblBcc = nullptr;
  QLabel* lblPatch = nullptr;
  QLabel* lblPatchTable = nullptr;
  QLabel* lblCoolantModifiers = nullptr;
  QLabel* lblRpmModifiers = nullptr;
  QListWidget* lstChanges = nullptr;
  QLabel* lblVersions = nullptr;
  QTreeWidget* lstVersions = nullptr;
  QPushButton* cmdCopyVersion = nullptr;
  QPushButton* cmdCompareVersion = nullptr;
  QWidget* grpCompare = nullptr;
  QListWidget* lstCompare = nullptr;
  std::string m_comparePath;
  std::vector<std::uint8_t> m_compareBytes;

  // What was shown last: the window is filled again when the image differs from it.
  std::vector<std::uint8_t> m_shownBytes;
  bool m_shownChanged = false;
  QTimer m_watch;
};

}  // namespace vantorix
