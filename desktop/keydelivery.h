#pragma once
// What a program asks of the desktop to hand the user's keyboard to another
// program: typing a key sequence and bringing that program's window to the
// front. Only the interfaces and the sequence notation live here, free of any
// window system, so that the host link can ask for them without linking one.

#include <QChar>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>

namespace velmora::desktop {

class KeySender {    // types a key sequence ("%v4": Alt+V then 4) into the foreground window
public:
    virtual ~KeySender() = default;
    virtual bool typeKeys(const QString &keys) = 0;
};

// Another program's top-level window on this program's own window system.
class HostWindows {
public:
    virtual ~HostWindows() = default;
    // Activates the top-level window of process `pid` and waits until it is
    // the active window; false when the process has no such window or it did
    // not become active within `timeout`.
    virtual bool activateWindowOf(qint64 pid, std::chrono::milliseconds timeout) = 0;
};

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

} // namespace velmora::desktop
