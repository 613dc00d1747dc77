#include <cstdio>
#include <cstdlib>

#include "app/basMain.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt aborts with a message about plugins; say what is missing instead,
  // and where the same work can be done without a window.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
    std::fputs(
        "vantorix: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set). "
        "Start it in a desktop session, or use vantorix-cli for work without a window.\n",
        stderr);
    return 1;
  }
  return vantorix::Main(argc, argv);
}
