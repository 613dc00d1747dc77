#pragma once

#include "app/RuntimeError.h"

namespace vantorix::test {

// The number of the run-time error the call raises, or 0 when it raises none.
template <class Call>
int ErrorNumberOf(Call&& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

}  // namespace vantorix::test
