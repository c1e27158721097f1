#pragma once
// Gives the user's session back to the host when the toolbar closes.

#include "host/hostlink.h"

#include <QString>

#include <memory>

namespace velmora::host {

class KeySender {    // types a key sequence ("%v4": Alt+V then 4) into the foreground window
public:
    virtual ~KeySender() = default;
    virtual bool TypeKeys(const QString &keys) = 0;
};

std::unique_ptr<KeySender> MakeKeySender(HostLink &link);  // XTest on X11 when available, else the host's SendKeys
void HandOverToHost(HostLink &link, KeySender &keys);     // steps 2 to 11; the window drop (step 1) is the toolbar's

} // namespace velmora::host
