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
    m_file->CheckStillWritableAt(m_strFilePath);

    const std::size_t size = m_abytImage.size();
    try {
      m_shell.SetProgress(0.0F);
      m_shell.ShowProgress();
      // Written in runs that end at the bar's step points: few write calls, yet the bar
      // moves as it would byte by byte, and what was written before a failure stays written.
      for (std::size_t begin = 0; begin < size;) {
        const std::size_t end = std::min(size, (begin / kProgressStep + 1) * kProgressStep);
        m_file->WriteAt(begin, std::span(m_abytImage).subspan(begin, end - begin));
        ReportProgressSteps(m_shell, begin, end, size);
        begin = end;
      }
      m_file->Sync();
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
