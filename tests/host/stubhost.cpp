#include "stubhost.h"

#include <QThread>

namespace velmora::testing {

using host::AutomationObject;
using host::Outcome;

namespace {
constexpr auto kExport = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
} // namespace

// Every object -------------------------------------------------------------

Outcome StubObject::answer(const std::function<Outcome(AutomationObject &)> &access,
                           QLatin1StringView error) const
{
    Outcome got;
    {
        QMutexLocker lock(&host_.mutex_);
        got = model_ ? access(*model_) : Outcome::failure(QStringLiteral("no such object"));
    }
    if (got.ok || !calledFromDBus())
        return got;
    if (got.unanswered)
        setDelayedReply(true);  // taken, never answered: a host stuck in its work
    else
        sendErrorReply(QString(error), got.error);
    return got;
}

QVariant StubObject::read(QLatin1StringView property) const
{
    return answer([&](AutomationObject &o) { return o.get(property); }, {}).value;
}

void StubObject::write(QLatin1StringView property, const QVariant &value)
{
    answer([&](AutomationObject &o) { return o.set(property, value); }, {});
}

QVariant StubObject::invoke(QLatin1StringView method, const QVariantList &args, QLatin1StringView error)
{
    return answer([&](AutomationObject &o) { return o.call(method, args); }, error).value;
}

// Windows -------------------------------------------------------------------

QDBusObjectPath StubWindows::Item(int index)
{
    const Outcome item = answer([&](AutomationObject &o) { return o.call(contract::kItem, {index}); },
                                contract::kErrorInvalidIndex);
    if (!item.object)
        return {};
    const QString path = QStringLiteral("%1/%2").arg(contract::kWindowsPath).arg(++taken_);
    auto *window = new StubWindow(host_, item.object, path);
    window->setParent(this);
    host_.bus_.registerObject(path, window, kExport);
    return QDBusObjectPath(path);
}

void StubWindow::Close()
{
    if (!answer([](AutomationObject &o) { return o.call(contract::kClose); }, contract::kErrorNoSuchWindow).ok)
        return;
    // Its object leaves the bus with it.
    host_.bus_.unregisterObject(path_);
    deleteLater();
}

// Host ----------------------------------------------------------------------

StubHost::StubHost(QDBusConnection bus, const QStringList &captions) : bus_(std::move(bus))
{
    for (const QString &caption : captions)
        fake_.windows.append({caption});
}

void StubHost::moveToThread(QThread *thread)
{
    for (QObject *o : std::initializer_list<QObject *>{&app_, &personality_, &windows_})
        o->moveToThread(thread);
}

bool StubHost::publish(const QString &busName)
{
    return bus_.registerObject(contract::kApplicationPath, &app_, kExport)
           && bus_.registerObject(contract::kPersonalityPath, &personality_, kExport)
           && bus_.registerObject(contract::kWindowsPath, &windows_, kExport) && bus_.registerService(busName);
}

} // namespace velmora::testing
