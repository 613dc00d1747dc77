#include "app/KeyStates.h"

#include <QGuiApplication>

#ifdef VANTORIX_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace vantorix {

namespace {

class UnknownKeyStates final : public KeyStates {
 public:
  std::optional<bool> CapsLock() override { return std::nullopt; }
  std::optional<bool> NumLock() override { return std::nullopt; }
};

#ifdef VANTORIX_HAVE_X11
class X11KeyStates final : public KeyStates {
 public:
  explicit X11KeyStates(Display* display) : display_(display) {}
  std::optional<bool> CapsLock() override { return Indicator("Caps Lock"); }
  std::optional<bool> NumLock() override { return Indicator("Num Lock"); }

 private:
  std::optional<bool> Indicator(const char* name) {
    const Atom atom = XInternAtom(display_, name, True);
    int on = 0;
    if (atom == None || !XkbGetNamedIndicator(display_, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    return on != 0;
  }
  Display* display_;
};
#endif

}  // namespace

std::unique_ptr<KeyStates> PlatformKeyStates() {
#ifdef VANTORIX_HAVE_X11
  if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
    if (Display* display = x11->display()) return std::make_unique<X11KeyStates>(display);
#endif
  return std::make_unique<UnknownKeyStates>();
}

}  // namespace vantorix
