#include "app/lock_keys.h"

#include <QGuiApplication>

#if defined(BRENMOOR_HAVE_X11) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#endif

namespace brenmoor::app {

#if defined(BRENMOOR_HAVE_X11) && QT_CONFIG(xcb)
namespace {

std::optional<bool> indicator(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return std::nullopt;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    return on != False;
}

}  // namespace

std::optional<LockKeyState> readLockKeys() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) return std::nullopt;
    const auto caps = indicator(display, "Caps Lock");
    const auto num = indicator(display, "Num Lock");
    const auto scroll = indicator(display, "Scroll Lock");
    if (!caps && !num && !scroll) return std::nullopt;
    return LockKeyState{caps.value_or(false), num.value_or(false), scroll.value_or(false)};
}
#else
std::optional<LockKeyState> readLockKeys() { return std::nullopt; }
#endif

}  // namespace brenmoor::app
