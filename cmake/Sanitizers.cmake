# Instrumentation for the whole build, chosen by VANTORIX_SANITIZE and VANTORIX_FUZZ.
# Every object gets the same flags so that no uninstrumented code hides a fault.

if(VANTORIX_SANITIZE OR VANTORIX_FUZZ)
  # One undefined-behaviour report must fail the run, not scroll past.
  set(VANTORIX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${VANTORIX_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

if(VANTORIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VANTORIX_FUZZ needs clang (libFuzzer): configure with CMAKE_CXX_COMPILER=clang++")
  endif()
  # Coverage hooks in every object; only the fuzz executables link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
