#include "stubhost.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

namespace velmora::testing {

namespace {
const QString kAppPath = QStringLiteral("/Application");
const QString kPersonalityPath = QStringLiteral("/Application/Personality");
const QString kWindowsPath = QStringLiteral("/Application/Windows");
constexpr auto kExport = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
QString onOff(bool on) { return QLatin1String(on ? "true" : "false"); }
} // namespace

// Application ---------------------------------------------------------------

QDBusObjectPath StubApp::personality() const { return QDBusObjectPath(kPersonalityPath); }
QDBusObjectPath StubApp::windows() const { return QDBusObjectPath(kWindowsPath); }

bool StubApp::userControl() const { return host_.get(host_.userControl_); }
bool StubApp::visible() const { return host_.get(host_.visible_); }
int StubApp::windowState() const { return host_.get(host_.windowState_); }
void StubApp::setUserControl(bool on) { host_.set(host_.userControl_, on, "set UserControl " + onOff(on)); }
void StubApp::setVisible(bool on) { host_.set(host_.visible_, on, "set Visible " + onOff(on)); }
void StubApp::setWindowState(int state)
{
    host_.set(host_.windowState_, state, QStringLiteral("set WindowState %1").arg(state));
}
void StubApp::Activate() { host_.note(QStringLiteral("call Activate")); }
void StubApp::SendKeys(const QString &keys) { host_.note(QStringLiteral("call SendKeys %1").arg(keys)); }

// Commands ------------------------------------------------------------------

QStringList StubPersonality::ExecuteCommand(const QString &command)
{
    host_.note(QStringLiteral("cmd %1").arg(command));
    if (command == QLatin1String("GetZEPVersion /"))
        return {QStringLiteral("ZEP v7.0 (stub)")};
    if (command == QLatin1String("CheckScenario /"))
        return {QStringLiteral("0")};
    if (command == QLatin1String("Empty /"))
        return {};
    if (command == QLatin1String("Lines /"))
        return {QStringLiteral("first"), QStringLiteral("second")};
    if (command == QLatin1String("Hang /")) {
        // Taken, never answered: a host stuck in its work.
        setDelayedReply(true);
        return {};
    }
    if (command == QLatin1String("Quit /")) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
        return {};
    }
    sendErrorReply(QStringLiteral("ZEP.Error.CommandFailed"),
                   QStringLiteral("unknown command: %1").arg(command));
    return {};
}

// Windows -------------------------------------------------------------------

int StubWindows::count() const { return int(host_.get(host_.windows_).size()); }

QDBusObjectPath StubWindows::Item(int index)
{
    QMutexLocker lock(&host_.mutex_);
    if (index < 0 || index >= host_.windows_.size()) {
        sendErrorReply(QStringLiteral("ZEP.Error.InvalidIndex"), QStringLiteral("no window %1").arg(index));
        return {};
    }
    return QDBusObjectPath(StubHost::windowPath(host_.windows_[index]->id()));
}

void StubWindows::Arrange(int arrangeStyle)
{
    host_.note(QStringLiteral("call Arrange %1").arg(arrangeStyle));
}

int StubWindow::windowState() const { return host_.get(host_.windowStates_).value(id_); }

void StubWindow::setWindowState(int state)
{
    host_.note(QStringLiteral("set WindowState %1 of %2").arg(state).arg(caption_));
    QMutexLocker lock(&host_.mutex_);
    host_.windowStates_[id_] = state;
}

void StubWindow::Close()
{
    host_.note(QStringLiteral("close %1").arg(caption_));
    host_.bus_.unregisterObject(StubHost::windowPath(id_));
    QMutexLocker lock(&host_.mutex_);
    host_.windows_.removeOne(this);
    deleteLater();
}

// Host ----------------------------------------------------------------------

StubHost::StubHost(QDBusConnection bus, const QStringList &captions) : bus_(std::move(bus))
{
    for (const QString &caption : captions) {
        windows_.append(new StubWindow(*this, int(windows_.size()), caption));
        windowStates_.append(0);
    }
}

StubHost::~StubHost()
{
    qDeleteAll(windows_);
}

QString StubHost::windowPath(int id)
{
    return kWindowsPath + u'/' + QString::number(id);
}

void StubHost::moveToThread(QThread *thread)
{
    for (QObject *o : std::initializer_list<QObject *>{&app_, &personality_, &windowCollection_})
        o->moveToThread(thread);
    for (StubWindow *w : windows_)
        w->moveToThread(thread);
}

bool StubHost::publish(const QString &busName)
{
    bool ok = bus_.registerObject(kAppPath, &app_, kExport)
              && bus_.registerObject(kPersonalityPath, &personality_, kExport)
              && bus_.registerObject(kWindowsPath, &windowCollection_, kExport);
    for (StubWindow *w : windows_)
        ok = ok && bus_.registerObject(windowPath(w->id()), w, kExport);
    return ok && bus_.registerService(busName);
}

void StubHost::note(const QString &line)
{
    QMutexLocker lock(&mutex_);
    journal_ << line;
}

QStringList StubHost::captions() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    for (const StubWindow *w : windows_)
        out << w->caption();
    return out;
}

} // namespace velmora::testing
