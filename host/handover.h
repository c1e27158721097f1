#pragma once
// Gives the user's session back to the host when the toolbar lets go of it.

#include "desktop/keydelivery.h"
#include "host/hostlink.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace velmora::host {

// The desktop types the keys and raises the host's window; the program's main
// gives the link the desktop's own, so that the link knows no window system.
using desktop::HostWindows;
using desktop::KeySender;

// Synthesised keys reach whichever window is active, so they are typed only
// into the host's own window once it has become the active one; otherwise the
// host types them itself (SendKeys). `hostPid` names the host's process at the
// time of typing (0: unknown); `desktopKeys` and `windows` may be null.
std::unique_ptr<KeySender> makeKeySender(HostLink &link, std::function<qint64()> hostPid,
                                         std::unique_ptr<KeySender> desktopKeys,
                                         std::unique_ptr<HostWindows> windows);
// The host's own keys alone, for a desktop that offers no synthesised input.
std::unique_ptr<KeySender> makeKeySender(HostLink &link);
// How long the host's window may take to become active.
inline constexpr std::chrono::milliseconds kHostActivationWait{2000};
// Brings back the host's bars and annotations, tiles its windows, brings it to
// the front and types the keys that open its views. The toolbar lowers itself
// out of the way first; that is the window's own matter.
void handOverToHost(HostLink &link, KeySender &keys);

} // namespace velmora::host
