#pragma once
// Synthesised keyboard input and another program's window on an X11 desktop;
// kept apart so that the X11 headers' macros stay out of the rest of the code.

#include "desktop/keydelivery.h"

#include <memory>

namespace velmora::desktop {

struct X11Desktop {
    std::unique_ptr<KeySender> keys;      // XTest into the active window
    std::unique_ptr<HostWindows> windows; // _NET_WM_PID lookup, _NET_ACTIVE_WINDOW
};

// Both null unless the program runs on X11 and the server offers XTEST.
X11Desktop makeX11Desktop();

} // namespace velmora::desktop
