#pragma once
// Which Qt platform the programs run on. Under a Wayland session, Qt would take
// its Wayland plugin, where a program can neither keep a window above others
// nor raise another program's window nor type into it; the session's X server
// (Xwayland) can do all three.

#include <string_view>

namespace velmora::desktop {

struct SessionEnvironment {
    std::string_view waylandDisplay;  // WAYLAND_DISPLAY
    std::string_view x11Display;      // DISPLAY
    std::string_view chosenPlatform;  // QT_QPA_PLATFORM, the user's own choice
};

// X11 first ("xcb;wayland") when a Wayland session also offers an X display
// and the user chose no platform; empty to leave the choice to Qt.
std::string_view ChoosePlatform(const SessionEnvironment &env);

// Applies ChoosePlatform to this process's environment, before the
// QApplication exists; programs it starts inherit the choice. A -platform
// argument still overrides it.
void ApplyPlatformChoice();

} // namespace velmora::desktop
