#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bin/FileSystem.h"
#include "bin/ImagePatch.h"
#include "foundation/ErrorReport.h"
#include "foundation/Outcome.h"
#include "foundation/Shell.h"

namespace vantorix {

// One calibration image ("BIN"): the file, held open for reading and writing from
// OpenBIN to CloseBIN, and all of its bytes in memory.
//
// Every member traps its own run-time errors: it shows one "BIN File Error" report
// through the shell and returns its failure value (false, 0, empty text or an empty
// array). Changes made before an error stay made.
//
// Two addressing conventions exist side by side: a position counts from 1 (position p
// is file offset p - 1) and is what GetValueFromBin and the PE operations take; an
// offset counts from 0 and is what WriteToBin takes.
class clsBINFile {
 public:
  // The wideband patch is consulted only when a patch operation runs; without one, Add
  // and Remove are refused with a report.
  explicit clsBINFile(Shell& shell, FileSystem& files = RealFileSystem(), ImagePatch& patch = NoImagePatch());
  ~clsBINFile();
  clsBINFile(const clsBINFile&) = delete;
  clsBINFile& operator=(const clsBINFile&) = delete;

  // --- the object and its file (bin/clsBINFile.cpp) ---
  bool FileOpened();
  void FilePath(const std::string& strPath);  // stores the text only
  std::string FilePath();
  std::int16_t FileNumber();
  std::int32_t FileSize();
  std::string Mask();
  bool Changed();

  // Opens, backs up (when asked), size-checks, reads and decodes the image. Refused when
  // the path names no regular file (nothing said) or the size or mask is not taken (its
  // box shown, and the reason is the outcome's detail); failed, after the report, when
  // the file cannot be opened or read: a read that failed ends the open, since the bytes
  // it did not get are not the image's. Done, with a warning, for an image that ends
  // before a field of its mask (its decoder reported it).
  Outcome OpenBIN(const std::string& strBINPath, bool blnBackupFile = false);
  // Closes the file and returns every member to its initial value.
  void CloseBIN();
  // Copies the open file, as it is on the disk, to FilePath + ".org". Failed after a
  // reported failure, and when no file is open.
  Outcome BackupBIN();

  // Stores the byte intValue (0..255, halves rounded to even) at 0-based file offset lngPosition.
  void WriteToBin(double lngPosition, double intValue);
  // The byte at 1-based position lngPosition as decimal text.
  std::string GetValueFromBin(double lngPosition);

  // --- identity and checksum (bin/clsBINFile_identity.cpp) ---
  std::string PROMID();
  void PROMID(const std::string& strPROMID);  // decimal text
  std::string Transmission();
  std::string Checksum();
  void CheckSum(const std::string& strCheckSum);  // hexadecimal text
  // The sum of every byte from offset 0x0008 on, modulo 65536, as hexadecimal text.
  std::string CalculateCSUM();

  // --- saving (bin/clsBINFile_save.cpp) ---
  // Stores the recalculated checksum, then writes the whole image over its file. Done
  // when the file now holds the image (with the warning to tell, when the disk may not
  // hold it yet); failed after a reported failure, with the file as it was.
  Outcome SaveBIN();
  // Saves the image, with its recalculated checksum, to another file by the same
  // replacement, and makes that file the image's: its lock, identity and path. The first
  // file is never written, and keeps its lock until the new one holds the image. A path
  // that names the image's own file is a plain SaveBIN; its backup is refused with the
  // reason; an existing file is replaced only once it could be opened and locked. After
  // a failure the image, its changes and its file are as they were.
  Outcome SaveBINAs(const std::string& strPath);

  // --- power-enrichment model (pe/clsBINFile_pe.cpp) ---
  double Calculate_PE_AFR(std::int16_t intCoolantModifier, std::int16_t intRPMModifier);
  std::int16_t CalculateRPMModifier(std::int16_t intCoolantModifier, double dblNewAFR);
  std::int16_t CalculateCoolantModifier(std::int16_t intRPMModifier, double dblNewAFR);
  // Element k of a table (1-based) is index k - 1 of the returned vector.
  std::vector<std::int16_t> GetPEModifiers_Coolant();
  std::vector<std::int16_t> GetPEModifiers_RPM();
  std::int16_t GetHEX(std::int32_t intHexPosition);
  bool PutPEModifier_Coolant(std::int16_t intArrayPos, std::int16_t intNewValue);
  bool PutPEModifier_RPM(std::int16_t intArrayPos, std::int16_t intNewValue);

  // --- broadcast code (bin/clsBINFile_bcc.cpp) ---
  // The broadcast code decided at open; never recomputed.
  std::string WBBCC() const;

  // --- wideband patch (bin/clsBINFile_patch.cpp; the writes come from the ImagePatch) ---
  // Write the insertion or the removal values of the patch version of the image's mask
  // and broadcast code into the image in memory and mark it changed; removal leaves the
  // bytes whose unpatched values the table does not know as they are and logs how many.
  // With a stand-in table they first ask the shell (Yes/No). False, with nothing
  // written, for a mask that has no version, when the tables cannot be had or do not
  // know a patched value, or when the answer is not Yes.
  bool AddWBHackToBIN();
  bool RemoveWBHackFromBIN();
  // The table the last of them wrote from: "built-in stand-in" or a file's path; empty
  // when it wrote nothing.
  std::string WBTableUsed() const;

  // The image bytes in memory, file offset 0 first (empty while no image is open).
  std::span<const std::uint8_t> Bytes() const noexcept { return m_abytImage; }
  // Puts back bytes this image held before (the window's undo and redo), with whether
  // they differ from what its file holds; the stored checksum and PROM ID are read from
  // them again. Bytes of another length are not this image's: refused (Subscript out of
  // range, reported) with nothing changed, as is any while no image is open.
  bool RestoreBytes(std::span<const std::uint8_t> bytes, bool changed);

 private:
  void Class_Initialize();
  void Class_Terminate();
  void ResetMembers();
  Outcome ReadBinaryToArray();
  std::string GetBinaryMask();
  std::string GetTranny();
  std::string GetCheckSum();
  std::string GetPROMID();
  std::string GetWBBCC();
  void CloseFile();
  // Writes the whole image into the new contents and commits them, with the bar; returns
  // what Commit says.
  std::string WriteImage(NewContents& next);
  // What a short image ends before, of the fields its mask has, for the open's warning;
  // empty when it holds them all. Each was reported when its decoder met the end.
  std::string FieldsPastTheEnd() const;
  bool WriteWBHack(PatchDirection direction);

  // The byte at a 0-based file offset; Subscript out of range (9) outside the image.
  std::uint8_t& ByteAtOffset(std::int64_t offset);
  // Stores a 16-bit value given as a number into the two bytes from highOffset on.
  void StoreSixteenBit(double number, std::int64_t highOffset);
  std::vector<std::int16_t> ReadModifierTable(std::int32_t firstIndex, std::int32_t lastIndex,
                                              std::string_view tableName);
  bool PutModifier(std::int32_t firstIndex, std::int32_t entries, std::int16_t intArrayPos, std::int16_t intNewValue);

  Shell& m_shell;
  const ErrorTrapper Trapped{m_shell, kBinFileErrorTitle, "clsBINFile"};
  FileSystem& m_files;
  ImagePatch& m_patch;
  std::unique_ptr<OpenedFile> m_file;

  bool m_blnFileOpened = false;
  std::string m_strFilePath;
  std::string m_strMask;
  std::string m_strPROMID;
  std::string m_strChecksum;
  std::int16_t m_intFileNumber = 0;
  std::int32_t m_lngFileSize = 0;
  std::vector<std::uint8_t> m_abytImage;
  std::string m_strTransmission;
  std::string m_strWBBCC;
  std::string m_strWBTable;
  bool m_blnChanged = false;
};

}  // namespace vantorix
