#include <algorithm>

#include "bin/clsBINFile.h"
#include "foundation/Progress.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

Outcome clsBINFile::SaveBIN() {
  return Trapped("SaveBIN", [this] {
    // The image carries its new checksum before the first byte reaches the disk.
    CheckSum(CalculateCSUM());

    if (!m_blnFileOpened || !m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no image is open");
    m_file->CheckUnchanged();

    const std::size_t size = m_abytImage.size();
    std::string warning;
    try {
      m_shell.SetProgress(0.0F);
      m_shell.ShowProgress();
      // The image goes to a new file beside the old one, which then takes its name: a
      // failure or a kill at any moment leaves the whole old or the whole new image.
      const auto next = m_file->Replace();
      // Written in runs that end at the bar's step points: few write calls, yet the bar
      // moves as it would byte by byte.
      for (std::size_t begin = 0; begin < size;) {
        const std::size_t end = std::min(size, (begin / kProgressStep + 1) * kProgressStep);
        next->WriteAt(begin, std::span(m_abytImage).subspan(begin, end - begin));
        ReportProgressSteps(m_shell, begin, end, size);
        begin = end;
      }
      warning = next->Commit();
    } catch (...) {
      m_shell.HideProgress();
      throw;
    }
    m_shell.HideProgress();
    // From the rename on the file holds the image, whatever the folder's flush said.
    m_blnChanged = false;
    return Outcome::Done(std::move(warning));
  });
}

}  // namespace vantorix
