#include <algorithm>

#include "app/Progress.h"
#include "app/RuntimeError.h"
#include "bin/clsBINFile.h"

namespace vantorix {

bool clsBINFile::SaveBIN() {
  return Trapped("SaveBIN", [this] {
    // The image carries its new checksum before the first byte reaches the disk.
    CheckSum(CalculateCSUM());

    if (!m_blnFileOpened || !m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no image is open");
    m_file->CheckUnchangedAt(m_strFilePath);

    const std::size_t size = m_abytImage.size();
    try {
      m_shell.SetProgress(0.0F);
      m_shell.ShowProgress();
      // The image goes to a new file beside the old one, which then takes its name: a
      // failure or a kill at any moment leaves the whole old or the whole new image.
      const auto next = m_file->Replace(m_strFilePath);
      // Written in runs that end at the bar's step points: few write calls, yet the bar
      // moves as it would byte by byte.
      for (std::size_t begin = 0; begin < size;) {
        const std::size_t end = std::min(size, (begin / kProgressStep + 1) * kProgressStep);
        next->WriteAt(begin, std::span(m_abytImage).subspan(begin, end - begin));
        ReportProgressSteps(m_shell, begin, end, size);
        begin = end;
      }
      next->Commit();
    } catch (...) {
      m_shell.HideProgress();
      throw;
    }
    m_shell.HideProgress();
    m_blnChanged = false;
    return true;
  });
}

}  // namespace vantorix
