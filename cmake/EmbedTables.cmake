# Writes a C++ source that holds text files as string constants, so the program needs no
# data files at run time. Run as a script:
#   cmake -DOUTPUT=<file.cpp> -DINPUTS=<file;file;...> -P EmbedTables.cmake
# The source defines vantorix::wbpatch::EmbeddedTableText(file name), which returns the
# text of the input with that file name, or empty text for any other name.
set(delimiter "vantorix_table")
set(cases "")
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME)
  file(READ "${input}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${input} contains the text that ends its string constant")
  endif()
  string(APPEND cases "  if (fileName == \"${name}\") return R\"${delimiter}(${text})${delimiter}\";\n")
endforeach()

set(content "// Generated from the patch table files by cmake/EmbedTables.cmake. Do not edit.
#include \"wbpatch/EmbeddedTables.h\"

namespace vantorix::wbpatch {

std::string_view EmbeddedTableText(std::string_view fileName) {
${cases}  return {};
}

}  // namespace vantorix::wbpatch
")

# Rewritten only when it changes, so an unchanged table does not recompile anything.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
