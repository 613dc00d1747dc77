#pragma once

#include <string>

#include "bin/ImagePatch.h"
#include "wbpatch/TableSource.h"

namespace vantorix::wbpatch {

// The wideband patch from a source of tables: the version of the image's mask and
// broadcast code, its table loaded and checked, the stand-in question, the writes.
class WideBandPatch final : public ImagePatch {
 public:
  explicit WideBandPatch(TableSource& tables) : tables_(tables) {}
  std::string Write(clsBINFile& image, Shell& shell, PatchDirection direction) override;

 private:
  TableSource& tables_;
};

// The patch from UserTables(): what the window program and the command-line tool give
// every image they open.
ImagePatch& UserPatch();

}  // namespace vantorix::wbpatch
