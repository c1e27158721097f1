#pragma once
// Gives the user's session back to the host when the toolbar lets go of it.

#include "host/hostlink.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace velmora::host {

class KeySender {    // types a key sequence ("%v4": Alt+V then 4) into the foreground window
public:
    virtual ~KeySender() = default;
    virtual bool TypeKeys(const QString &keys) = 0;
};

std::unique_ptr<KeySender> MakeKeySender(HostLink &link);  // XTest on X11 when available, else the host's SendKeys
void HandOverToHost(HostLink &link, KeySender &keys);     // steps 2 to 11; the window drop (step 1) is the toolbar's

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
std::optional<QList<KeyStroke>> ParseKeySequence(const QString &keys);

} // namespace velmora::host
