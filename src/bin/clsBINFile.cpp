#include "bin/clsBINFile.h"

#include <limits>

#include "bin/FileNumbers.h"
#include "bin/ImageIdentity.h"
#include "bin/ImageLayout.h"
#include "bin/basFileFunctions.h"
#include "foundation/NumberText.h"
#include "foundation/Progress.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

namespace {

constexpr std::string_view kNotAvailable = "N/A";
// Images are made of whole 128-byte records; 32 KB and 64 KB PROMs both qualify.
constexpr std::uint64_t kSizeGranule = 128;
constexpr std::string_view kAcceptedMasks[] = {"6E", "32", "8D", "AA"};
constexpr std::string_view kMaskRule = "Binary must have a mask of 32, 6E, 8D, or be marked experimental.";

bool IsAcceptedMask(const std::string& mask) {
  for (const auto accepted : kAcceptedMasks)
    if (mask == accepted) return true;
  return false;
}

}  // namespace

clsBINFile::clsBINFile(Shell& shell, FileSystem& files, ImagePatch& patch)
    : m_shell(shell), m_files(files), m_patch(patch) {
  Class_Initialize();
}

clsBINFile::~clsBINFile() { Class_Terminate(); }

void clsBINFile::Class_Initialize() {
  Trapped("Class_Initialize", [this] { ResetMembers(); });
}

void clsBINFile::Class_Terminate() {
  Trapped("Class_Terminate", [this] { CloseFile(); });
}

void clsBINFile::ResetMembers() {
  m_blnFileOpened = false;
  m_strFilePath = kNotAvailable;
  m_strMask = kNotAvailable;
  m_strPROMID = kNotAvailable;
  m_strChecksum = kNotAvailable;
  m_intFileNumber = 0;
  m_lngFileSize = 0;
  m_abytImage.clear();
  m_abytImage.shrink_to_fit();
  m_strTransmission = kNotAvailable;
  m_strWBBCC = kNotAvailable;
  m_blnChanged = false;
}

void clsBINFile::CloseFile() {
  m_file.reset();
  file_numbers::Release(m_intFileNumber);
}

bool clsBINFile::FileOpened() {
  return Trapped("FileOpened [PropertyGet]", [this] { return m_blnFileOpened; });
}

void clsBINFile::FilePath(const std::string& strPath) {
  Trapped("FilePath [PropertyLet]", [&] { m_strFilePath = strPath; });
}

std::string clsBINFile::FilePath() {
  return Trapped("FilePath [PropertyGet]", [this] { return m_strFilePath; });
}

std::int16_t clsBINFile::FileNumber() {
  return Trapped("FileNumber [PropertyGet]", [this] { return m_intFileNumber; });
}

std::int32_t clsBINFile::FileSize() {
  return Trapped("FileSize [PropertyGet]", [this] { return m_lngFileSize; });
}

std::string clsBINFile::Mask() {
  return Trapped("Mask [PropertyGet]", [this] { return m_strMask; });
}

bool clsBINFile::Changed() {
  return Trapped("ChangesSaved [PropertyGet]", [this] { return m_blnChanged; });
}

Outcome clsBINFile::OpenBIN(const std::string& strBINPath, bool blnBackupFile) {
  return Trapped("OpenBIN", [&] {
    // An object reused for a second file lets go of the first, and of all it knew of it:
    // whatever this open comes to, nothing of the earlier image stays behind.
    CloseFile();
    ResetMembers();
    // The number is taken even when nothing is opened afterwards.
    m_intFileNumber = file_numbers::NextFree();
    if (m_files.KindOf(strBINPath) != FileKind::Regular) return Outcome::Refused();

    m_file = m_files.OpenReadWrite(strBINPath);
    file_numbers::Claim(m_intFileNumber);
    // The backup comes before every check, so even a file that is refused is saved; and
    // after the lock, so a file that another program is writing is never copied.
    if (blnBackupFile) BackupFile(m_shell, m_files, *m_file, strBINPath + ".org");
    m_strFilePath = strBINPath;
    const std::uint64_t length = m_file->Length();
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      throw RuntimeError(ErrorNumber::Overflow,
                         "the file is " + std::to_string(length) + " bytes long; an image can hold at most 2147483647");
    m_lngFileSize = static_cast<std::int32_t>(length);

    if (length % kSizeGranule != 0) {
      m_shell.MsgBox("Invalid File Size.\r\nThe BIN that you are attempting to load has an incorrect filesize: " +
                         std::to_string(length),
                     MsgBoxStyle::Critical, "File Size Error", BoxKind::Message("FileSizeError"));
      CloseBIN();
      return Outcome::Refused("its size");
    }

    // An empty file reads nothing and goes on to be refused for its mask; any other read
    // that failed has been reported, and nothing that follows from its bytes is true.
    if (Outcome read = ReadBinaryToArray(); !read && length > 0) {
      CloseBIN();
      return read;
    }
    m_strMask = GetBinaryMask();
    m_strTransmission = GetTranny();
    m_strWBBCC = GetWBBCC();

    if (!IsAcceptedMask(m_strMask)) {
      m_shell.WriteLog("Invalid Mask: " + m_strMask + std::string(kMaskRule));
      m_shell.MsgBox("Invalid Mask: " + m_strMask + "\r\n\r\n" + std::string(kMaskRule), MsgBoxStyle::Exclamation,
                     "Mask Error", BoxKind::Message("MaskError"));
      CloseBIN();
      return Outcome::Refused("its mask");
    }

    m_strPROMID = GetPROMID();
    m_strChecksum = GetCheckSum();
    m_blnFileOpened = true;
    return Outcome::Done(FieldsPastTheEnd());
  });
}

Outcome clsBINFile::ReadBinaryToArray() {
  return Trapped("ReadBinaryToArray", [this] {
    try {
      if (m_lngFileSize <= 0) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "the file is empty");
      if (!m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no file is open");
      const auto size = static_cast<std::size_t>(m_lngFileSize);
      m_abytImage.assign(size, 0);
      m_shell.WriteLog("Reading BIN to array...");
      m_shell.SetProgress(0.0F);
      m_shell.ShowProgress();
      // One read for the whole image; the bar still moves through the values that a
      // byte-by-byte read would have shown, up to where the read got.
      std::size_t read = 0;
      m_shell.WaitFor([&] { read = m_file->ReadAt(0, m_abytImage); });
      ReportProgressSteps(m_shell, 0, read, size);
      if (read < size)
        throw RuntimeError(ErrorNumber::InputPastEndOfFile,
                           m_strFilePath + " ended after " + std::to_string(read) + " bytes");
    } catch (...) {
      m_shell.HideProgress();
      throw;
    }
    m_shell.HideProgress();
    m_shell.WriteLog("Binary read complete.");
    return Outcome::Done();
  });
}

std::string clsBINFile::GetBinaryMask() {
  return Trapped("GetBinaryMask", [this] { return identity::MaskText(m_abytImage); });
}

void clsBINFile::CloseBIN() {
  Trapped("CloseBIN", [this] {
    CloseFile();
    ResetMembers();
  });
}

Outcome clsBINFile::BackupBIN() {
  return Trapped("BackupBIN", [this] {
    if (!m_file) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, "no file is open");
    return BackupFile(m_shell, m_files, *m_file, m_strFilePath + ".org");
  });
}

void clsBINFile::WriteToBin(double lngPosition, double intValue) {
  Trapped("WriteToBin", [&] {
    const std::int32_t element = number::ToLong(lngPosition + 1.0);
    const std::uint8_t value = number::ToByte(intValue);
    ByteAtOffset(static_cast<std::int64_t>(element) - 1) = value;
  });
}

std::string clsBINFile::GetValueFromBin(double lngPosition) {
  return Trapped("GetValueFromBin", [&] {
    const std::int32_t position = number::ToLong(lngPosition);
    return std::to_string(ByteAtOffset(static_cast<std::int64_t>(position) - 1));
  });
}

std::uint8_t& clsBINFile::ByteAtOffset(std::int64_t offset) {
  identity::ByteAt(m_abytImage, offset);  // refuses a position outside the image, as every decoder does
  return m_abytImage[static_cast<std::size_t>(offset)];
}

}  // namespace vantorix
