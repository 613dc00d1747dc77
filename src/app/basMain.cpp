#include "app/basMain.h"

#include "app/VantorixApplication.h"
#include "app/frmMain.h"

namespace vantorix {

Settings InitializeSettings() { return Settings{}; }

clsBINFile& ImageReferences::gobjBIN() {
  if (!bin_) bin_ = std::make_unique<clsBINFile>(shell_, files_, patchTables_);
  return *bin_;
}

clsBINFile& ImageReferences::gobjCompareBIN() {
  if (!compareBin_) compareBin_ = std::make_unique<clsBINFile>(shell_, files_, patchTables_);
  return *compareBin_;
}

clsBINFile& ImageReferences::ReplaceBIN() {
  bin_.reset();  // released first, so its file is closed before the next one opens
  return gobjBIN();
}

int Main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  const Settings settings = InitializeSettings();
  frmMain window(settings);
  application.SetReportWindow(&window);
  window.show();
  return VantorixApplication::exec();
}

}  // namespace vantorix
