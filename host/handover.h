#pragma once
// Gives the user's session back to the host when the toolbar lets go of it.

#include "host/hostlink.h"

#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace velmora::host {

class KeySender {    // types a key sequence ("%v4": Alt+V then 4) into the foreground window
public:
    virtual ~KeySender() = default;
    virtual bool typeKeys(const QString &keys) = 0;
};

// The host's top-level window on the toolbar's own window system.
class HostWindows {
public:
    virtual ~HostWindows() = default;
    // Activates the top-level window of process `pid` and waits until it is
    // the active window; false when the process has no such window or it did
    // not become active within `timeout`.
    virtual bool activateWindowOf(qint64 pid, std::chrono::milliseconds timeout) = 0;
};

// Synthesised keys reach whichever window is active, so they are typed only
// into the host's own window once it has become the active one; otherwise the
// host types them itself (SendKeys). `hostPid` names the host's process at the
// time of typing (0: unknown); `desktopKeys` and `windows` may be null.
std::unique_ptr<KeySender> makeKeySender(HostLink &link, std::function<qint64()> hostPid,
                                         std::unique_ptr<KeySender> desktopKeys,
                                         std::unique_ptr<HostWindows> windows);
// The same with XTest and the window lookup of the X display, where there is one.
std::unique_ptr<KeySender> makeKeySender(HostLink &link, std::function<qint64()> hostPid = {});
// How long the host's window may take to become active.
inline constexpr std::chrono::milliseconds kHostActivationWait{2000};
// Brings back the host's bars and annotations, tiles its windows, brings it to
// the front and types the keys that open its views. The toolbar lowers itself
// out of the way first; that is the window's own matter.
void handOverToHost(HostLink &link, KeySender &keys);

// One key of a sequence with the modifiers held for it. In a sequence "%"
// holds Alt, "^" Control and "+" Shift for the key that follows.
struct KeyStroke {
    QChar key;
    bool alt = false;
    bool control = false;
    bool shift = false;
    friend bool operator==(const KeyStroke &, const KeyStroke &) = default;
};
// Nothing for a sequence that ends in a modifier or holds a control character.
std::optional<QList<KeyStroke>> parseKeySequence(const QString &keys);

} // namespace velmora::host
