#pragma once

#include <string>

#include "foundation/Shell.h"

namespace vantorix {

class clsBINFile;

// Which way the wideband patch goes.
enum class PatchDirection { Insert, Remove };

// The wideband patch as the image object's Add and Remove members use it: the patch's own
// library chooses the tables and the writes, and hands the image object nothing but their
// outcome, so that the image knows no tables.
class ImagePatch {
 public:
  virtual ~ImagePatch() = default;

  // Writes the patch's values for the direction into the image in memory, each through
  // WriteToBin, asking through the shell first where it must. Returns the name of the
  // table it wrote from, or empty text when it wrote nothing (no version for the image,
  // or an answer other than Yes). Throws a RuntimeError when the tables cannot be had.
  virtual std::string Write(clsBINFile& image, Shell& shell, PatchDirection direction) = 0;
};

// The patch of an image object that was given none: every operation is refused with an
// error report rather than done with tables nobody chose.
ImagePatch& NoImagePatch();

}  // namespace vantorix
