#pragma once

#include <memory>
#include <optional>

namespace vantorix {

// The Caps Lock and Num Lock states as the platform reports them; nullopt where it cannot
// tell (then the main window counts the key presses it sees).
class KeyStates {
 public:
  virtual ~KeyStates() = default;
  virtual std::optional<bool> CapsLock() = 0;
  virtual std::optional<bool> NumLock() = 0;
};

// X11's keyboard indicators when the program runs on X11, otherwise a provider that cannot tell.
std::unique_ptr<KeyStates> PlatformKeyStates();

}  // namespace vantorix
