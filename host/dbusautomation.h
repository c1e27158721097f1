#pragma once
// The host's automation objects as seen on the D-Bus session bus. Members are
// reached by name with plain messages, so nothing blocks on introspection.

#include "host/automation.h"

#include <QDBusConnection>
#include <QString>

namespace velmora::host {

class DBusAutomation : public AutomationSystem {   // the platform's object system = the session bus
public:
    explicit DBusAutomation(QDBusConnection bus = QDBusConnection::sessionBus());
    Outcome attach(const QString &className) override;  // the name has an owner
    Outcome create(const QString &className) override;  // bus activation, else start the stand-in host

private:
    QDBusConnection bus_;
};

} // namespace velmora::host
