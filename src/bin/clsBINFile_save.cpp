#include <algorithm>
#include <vector>

#include "bin/basFileFunctions.h"
#include "bin/clsBINFile.h"
#include "foundation/Progress.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

std::string clsBINFile::WriteImage(NewContents& next) {
  const std::size_t size = m_abytImage.size();
  std::string warning;
  try {
    m_shell.SetProgress(0.0F);
    m_shell.ShowProgress();
    // Written in runs that end at the bar's step points: few write calls, yet the bar
    // moves as it would byte by byte.
    for (std::size_t begin = 0; begin < size;) {
      const std::size_t end = std::min(size, (begin / kProgressStep + 1) * kProgressStep);
      m_shell.WaitFor([&] { next.WriteAt(begin, std::span(m_abytImage).subspan(begin, end - begin)); });
      ReportProgressSteps(m_shell, begin, end, size);
      begin = end;
    }
    m_shell.WaitFor([&] { warning = next.Commit(); });
  } catch (...) {
    m_shell.HideProgress();
    throw;
  }
  m_shell.HideProgress();
  return warning;
}

Outcome clsBINFile::SaveBIN() {
  return Trapped("SaveBIN", [this] {
    // The image carries its new checksum before the first byte reaches the disk.
    CheckSum(CalculateCSUM());

    if (!m_blnFileOpened || !m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no image is open");
    m_file->CheckUnchanged();
    // The image goes to a new file beside the old one, which then takes its name: a
    // failure or a kill at any moment leaves the whole old or the whole new image.
    std::string warning = WriteImage(*m_file->Replace());
    // From the rename on the file holds the image, whatever the folder's flush said.
    m_blnChanged = false;
    return Outcome::Done(std::move(warning));
  });
}

Outcome clsBINFile::SaveBINAs(const std::string& strPath) {
  if (NamesFile(strPath, FilePath())) return SaveBIN();
  // The checksum is stored before the write; a save that does not happen takes it back,
  // so that an image without changes is not left marked as changed.
  const std::vector<std::uint8_t> before = m_abytImage;
  const std::string checksum = m_strChecksum;
  const bool changed = m_blnChanged;
  Outcome saved = Trapped("SaveBINAs", [&] {
    if (!m_blnFileOpened || !m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no image is open");
    if (const std::string refusal = SaveAsRefusal(strPath, m_strFilePath); !refusal.empty())
      return Outcome::Refused(refusal);
    CheckSum(CalculateCSUM());
    std::unique_ptr<OpenedFile> target;
    std::string warning;
    if (m_files.KindOf(strPath) == FileKind::Regular) {
      // Opened, and so locked, first: an image another program holds open is not
      // written over, and the lock stays on the file through its replacement.
      target = m_files.OpenReadWrite(strPath);
      warning = WriteImage(*target->Replace());
    } else {
      warning = WriteImage(*m_files.Replace(strPath, m_file->Permissions()));
      // The new file is opened, and locked, only after its rename: it cannot be opened
      // earlier. What is found there now must be what was written, or another program
      // got in between and the file is not taken as the image's.
      target = m_files.OpenReadWrite(strPath);
      std::vector<std::uint8_t> found(m_abytImage.size() + 1);
      found.resize(target->ReadAt(0, found));
      if (found != m_abytImage)
        throw RuntimeError(ErrorNumber::PathFileAccessError,
                           strPath + " was changed by another program while it was being written");
    }
    // Only now does the first file let go of its lock, with the image safely in the new one.
    m_file = std::move(target);
    m_strFilePath = strPath;
    m_blnChanged = false;
    return Outcome::Done(std::move(warning));
  });
  if (!saved) {
    m_abytImage = before;
    m_strChecksum = checksum;
    m_blnChanged = changed;
  }
  return saved;
}

}  // namespace vantorix
