#pragma once

#include <string_view>

namespace vantorix::wbpatch {

// The text of a patch table file compiled into the program ("8D-AXXC.txt", ...), or
// empty text when no such file was compiled in. Generated from src/wbpatch/data.
std::string_view EmbeddedTableText(std::string_view fileName);

}  // namespace vantorix::wbpatch
