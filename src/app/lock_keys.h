#pragma once
// The state of the Caps Lock, Num Lock and Scroll Lock keys. Qt offers no way to read it;
// on X11 the keyboard extension's named indicators give it, elsewhere it is unknown.

#include <optional>

namespace brenmoor::app {

struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const LockKeyState&) const = default;
};

// Unknown (nullopt) when the display is not an X11 one or has no keyboard extension.
std::optional<LockKeyState> readLockKeys();

}  // namespace brenmoor::app
