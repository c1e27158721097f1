#include "desktop/platformchoice.h"

#include <cstdlib>
#include <string>

namespace velmora::desktop {

namespace {

std::string_view variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

} // namespace

std::string_view ChoosePlatform(const SessionEnvironment &env)
{
    // Qt treats an empty variable as unset, and so do we.
    if (!env.chosenPlatform.empty() || env.waylandDisplay.empty() || env.x11Display.empty())
        return {};
    // Wayland stays the fallback for an X display that cannot be opened.
    return "xcb;wayland";
}

void ApplyPlatformChoice()
{
    const std::string_view platform = ChoosePlatform(
        {variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("QT_QPA_PLATFORM")});
    if (!platform.empty())
        ::setenv("QT_QPA_PLATFORM", std::string(platform).c_str(), 1);
}

} // namespace velmora::desktop
