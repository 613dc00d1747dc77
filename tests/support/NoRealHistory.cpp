// Linked into every window test: however the test is started (by CTest or by hand), the
// window program under test records nothing in the real home's version history. A test
// of the history sets its own XDG_DATA_HOME and turns recording back on.
#include <cstdlib>

namespace {
[[maybe_unused]] const bool kRecordingOff = ::setenv("VANTORIX_NO_HISTORY", "1", 1) == 0;
}  // namespace
