#include "stubhost.h"

#include "contract/zepcontract.h"

#include <QThread>

namespace velmora::testing {

using host::AutomationObject;
using host::Outcome;
namespace zep = contract;

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

// Application ---------------------------------------------------------------

QDBusObjectPath StubApp::personality() const { return QDBusObjectPath(zep::kPersonalityPath); }
QDBusObjectPath StubApp::windows() const { return QDBusObjectPath(zep::kWindowsPath); }
bool StubApp::userControl() const { return read(zep::kUserControl).toBool(); }
void StubApp::setUserControl(bool on) { write(zep::kUserControl, on); }
bool StubApp::visible() const { return read(zep::kVisible).toBool(); }
void StubApp::setVisible(bool on) { write(zep::kVisible, on); }
int StubApp::windowState() const { return read(zep::kWindowState).toInt(); }
void StubApp::setWindowState(int state) { write(zep::kWindowState, state); }
void StubApp::Activate() { invoke(zep::kActivate, {}, zep::kErrorCommandFailed); }
void StubApp::SendKeys(const QString &keys) { invoke(zep::kSendKeys, {keys}, zep::kErrorCommandFailed); }

// Commands ------------------------------------------------------------------

QStringList StubPersonality::ExecuteCommand(const QString &command)
{
    return invoke(zep::kExecuteCommand, {command}, zep::kErrorCommandFailed).toStringList();
}

// Windows -------------------------------------------------------------------

int StubWindows::count() const { return read(zep::kCount).toInt(); }

void StubWindows::Arrange(int arrangeStyle) { invoke(zep::kArrange, {arrangeStyle}, zep::kErrorCommandFailed); }

QDBusObjectPath StubWindows::Item(int index)
{
    const Outcome item = answer([&](AutomationObject &o) { return o.call(zep::kItem, {index}); },
                                zep::kErrorInvalidIndex);
    if (!item.object)
        return {};
    const QString path = QStringLiteral("%1/%2").arg(zep::kWindowsPath).arg(++taken_);
    auto *window = new StubWindow(host_, item.object, path);
    window->setParent(this);
    host_.bus_.registerObject(path, window, kExport);
    return QDBusObjectPath(path);
}

QString StubWindow::caption() const { return read(zep::kCaption).toString(); }
int StubWindow::windowState() const { return read(zep::kWindowState).toInt(); }
void StubWindow::setWindowState(int state) { write(zep::kWindowState, state); }

void StubWindow::Close()
{
    if (!answer([](AutomationObject &o) { return o.call(zep::kClose); }, zep::kErrorNoSuchWindow).ok)
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
    return bus_.registerObject(zep::kApplicationPath, &app_, kExport)
           && bus_.registerObject(zep::kPersonalityPath, &personality_, kExport)
           && bus_.registerObject(zep::kWindowsPath, &windows_, kExport) && bus_.registerService(busName);
}

} // namespace velmora::testing
