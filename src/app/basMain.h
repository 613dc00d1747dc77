#pragma once

#include <memory>
#include <string>

#include "bin/FileSystem.h"
#include "bin/ImagePatch.h"
#include "bin/clsBINFile.h"
#include "foundation/Shell.h"

namespace vantorix {

// The start-up settings, fixed at build time: nothing is read from a settings file,
// the registry or the command line.
struct Settings {
  std::string gstrInitialDirectory;
  bool gblnBackupBIN = true;
  bool gblnBackupCompareBIN = false;
  bool gblnShowLog = true;
  bool gblnShowStatusBar = true;
};

Settings InitializeSettings();

// The program-wide image references. Each creates an empty image object the first time
// it is read while empty, so reading the Mask of gobjBIN before any open gives "N/A".
class ImageReferences {
 public:
  ImageReferences(Shell& shell, FileSystem& files, ImagePatch& patch) : shell_(shell), files_(files), patch_(patch) {}

  clsBINFile& gobjBIN();
  clsBINFile& gobjCompareBIN();
  // Whether the current image holds changes its file does not; creates nothing.
  bool BINChanged() const;
  // A new, empty object that is not yet the current image: a file is opened into it
  // first, so that a refused file leaves the current image as it was.
  std::unique_ptr<clsBINFile> NewBIN();
  // Makes an opened object the current image; the old one is released, which closes its file.
  clsBINFile& ReplaceBIN(std::unique_ptr<clsBINFile> image);
  // The same for the compare image, which is only ever read: through the given file
  // services (kept as long as it is), or the read-only ones, which take no lock.
  std::unique_ptr<clsBINFile> NewCompareBIN(FileSystem& files);
  clsBINFile& ReplaceCompareBIN(std::unique_ptr<clsBINFile> image, std::unique_ptr<FileSystem> files);

 private:
  Shell& shell_;
  FileSystem& files_;
  ImagePatch& patch_;
  std::unique_ptr<clsBINFile> bin_;
  std::unique_ptr<clsBINFile> compareBin_;
  std::unique_ptr<FileSystem> compareFiles_;  // a version's bytes held in memory; none for a file
};

// Starts the window program and runs it until the main window closes.
int Main(int argc, char** argv);

}  // namespace vantorix
