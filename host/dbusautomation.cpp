#include "host/dbusautomation.h"

namespace velmora::host {

DBusAutomation::DBusAutomation(QDBusConnection bus) : bus_(std::move(bus)) {}

Outcome DBusAutomation::attach(const QString &className)
{
    return Outcome::failure(QStringLiteral("no running %1").arg(className));
}

Outcome DBusAutomation::create(const QString &className)
{
    return Outcome::failure(QStringLiteral("cannot start %1").arg(className));
}

} // namespace velmora::host
