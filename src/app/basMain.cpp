#include "app/basMain.h"

#include <QFile>

#include "app/VantorixApplication.h"
#include "app/frmMain.h"

namespace vantorix {

Settings InitializeSettings() { return Settings{}; }

clsBINFile& ImageReferences::gobjBIN() {
  if (!bin_) bin_ = std::make_unique<clsBINFile>(shell_, files_, patch_);
  return *bin_;
}

clsBINFile& ImageReferences::gobjCompareBIN() {
  if (!compareBin_) compareBin_ = NewCompareBIN(ReadOnlyFileSystem());
  return *compareBin_;
}

std::unique_ptr<clsBINFile> ImageReferences::NewCompareBIN(FileSystem& files) {
  return std::make_unique<clsBINFile>(shell_, files, NoImagePatch());
}

clsBINFile& ImageReferences::ReplaceCompareBIN(std::unique_ptr<clsBINFile> image, std::unique_ptr<FileSystem> files) {
  compareBin_ = std::move(image);  // first: the old object may still read through the old services
  compareFiles_ = std::move(files);
  return *compareBin_;
}

bool ImageReferences::BINChanged() const { return bin_ != nullptr && bin_->Changed(); }

std::unique_ptr<clsBINFile> ImageReferences::NewBIN() { return std::make_unique<clsBINFile>(shell_, files_, patch_); }

clsBINFile& ImageReferences::ReplaceBIN(std::unique_ptr<clsBINFile> image) {
  bin_ = std::move(image);
  return *bin_;
}

int Main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  const Settings settings = InitializeSettings();
  frmMain window(settings);
  application.SetReportWindow(&window);
  window.show();
  // Qt has taken its own options out of argv by now; the rest name files (`vantorix FILE`,
  // the desktop entry's %f), in the file system's own bytes.
  QStringList paths;
  for (int k = 1; k < argc; ++k)
    if (*argv[k] != '\0') paths << QFile::decodeName(argv[k]);
  window.OpenGivenFiles(paths);
  return VantorixApplication::exec();
}

}  // namespace vantorix
