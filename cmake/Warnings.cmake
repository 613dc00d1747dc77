# One warning policy for every target of the project.
function(vantorix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
  if(VANTORIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
