#include "host/dbusautomation.h"

#include "contract/zepcontract.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include <optional>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace velmora::host {

namespace {

const QString kDBusService = QStringLiteral("org.freedesktop.DBus");
const QString kDBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kDBusInterface = QStringLiteral("org.freedesktop.DBus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kStandInName = QStringLiteral("velmora-zep");

// Which interface the object behind an object-valued member speaks.
QString interfaceYieldedBy(const QString &member)
{
    static const QHash<QString, QString> interfaces{
        {contract::kPersonality, contract::kPersonalityInterface},
        {contract::kWindows, contract::kWindowsInterface},
        {contract::kItem, contract::kWindowInterface},
    };
    return interfaces.value(member);
}

Outcome failureOf(const QDBusMessage &reply)
{
    // No answer in time, or the host left while the call waited: either way
    // the host did not take notice of it.
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
        return Outcome::noAnswer(QStringLiteral("%1: %2").arg(reply.errorName(), reply.errorMessage()));
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Outcome::failure(QStringLiteral("%1: %2").arg(reply.errorName(), reply.errorMessage()));
    return Outcome::failure(QStringLiteral("unexpected reply from the host"));
}

// Plain Qt values for what the bus delivers; containers arrive still marshalled.
QVariant plain(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return plain(v.value<QDBusVariant>().variant());
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const auto arg = v.value<QDBusArgument>();
        if (arg.currentSignature() == QLatin1String("as"))
            return qdbus_cast<QStringList>(arg);
        return {};
    }
    return v;
}

class BusObject : public AutomationObject {
public:
    BusObject(QDBusConnection bus, QString service, QString path, QString interface, int timeoutMs)
        : bus_(std::move(bus)), service_(std::move(service)), path_(std::move(path)),
          interface_(std::move(interface)), timeoutMs_(timeoutMs)
    {
    }

    const QString &service() const { return service_; }

    Outcome get(const QString &property) override
    {
        if (const auto kept = objects_.find(property); kept != objects_.end())
            return Outcome::objectResult(kept->second);
        QDBusMessage msg = QDBusMessage::createMethodCall(service_, path_, kProperties, QStringLiteral("Get"));
        msg << interface_ << property;
        Outcome outcome = result(property, exchange(msg));
        // The host's command object and window collection live as long as the
        // host: fetch them once and keep them.
        if (outcome.ok && outcome.object
            && (property == contract::kPersonality || property == contract::kWindows))
            objects_.emplace(property, outcome.object);
        return outcome;
    }

    Outcome set(const QString &property, const QVariant &value) override
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(service_, path_, kProperties, QStringLiteral("Set"));
        msg << interface_ << property << QVariant::fromValue(QDBusVariant(value));
        const QDBusMessage reply = exchange(msg);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return failureOf(reply);
        return Outcome::success();
    }

    Outcome call(const QString &method, const QVariantList &args) override
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(service_, path_, interface_, method);
        msg.setArguments(args);
        return result(method, exchange(msg));
    }

private:
    QDBusMessage exchange(const QDBusMessage &msg)
    {
        return bus_.call(msg, QDBus::Block, timeoutMs_);
    }

    Outcome result(const QString &member, const QDBusMessage &reply)
    {
        if (reply.type() != QDBusMessage::ReplyMessage)
            return failureOf(reply);
        const QList<QVariant> args = reply.arguments();
        if (args.isEmpty())
            return Outcome::success();
        const QVariant value = plain(args.first());
        if (value.userType() == qMetaTypeId<QDBusObjectPath>()) {
            const QString path = value.value<QDBusObjectPath>().path();
            return Outcome::objectResult(
                std::make_shared<BusObject>(bus_, service_, path, interfaceYieldedBy(member), timeoutMs_));
        }
        return Outcome::success(value);
    }

    QDBusConnection bus_;
    QString service_;
    QString path_;
    QString interface_;
    int timeoutMs_;
    std::map<QString, AutomationRef> objects_;
};

QDBusMessage busCall(QDBusConnection &bus, const QString &method, const QVariantList &args,
                     int timeoutMs = -1)
{
    QDBusMessage msg = QDBusMessage::createMethodCall(kDBusService, kDBusPath, kDBusInterface, method);
    msg.setArguments(args);
    return bus.call(msg, QDBus::Block, timeoutMs);
}

// A started host is not our child, so nobody may reap it soon: an exited one
// can linger as a zombie that still answers kill(pid, 0).
bool processAlive(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0 || end + 2 >= line.size())
        return true;
    const char state = line.at(end + 2);
    return state != 'Z' && state != 'X';
}

// Ends a wait when a process that is not our child exits: the kernel tells
// through a pidfd; a kernel without them is asked now and then instead.
class ExitWatch {
public:
    ExitWatch(qint64 pid, QEventLoop &loop) : fd_(int(::syscall(SYS_pidfd_open, pid_t(pid), 0)))
    {
        if (fd_ >= 0) {
            exited_.emplace(fd_, QSocketNotifier::Read);
            QObject::connect(&*exited_, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
            return;
        }
        QObject::connect(&lookAgain_, &QTimer::timeout, &loop, &QEventLoop::quit);
        lookAgain_.start(kExitLookMs);
    }
    ~ExitWatch()
    {
        exited_.reset();
        if (fd_ >= 0)
            ::close(fd_);
    }
    ExitWatch(const ExitWatch &) = delete;
    ExitWatch &operator=(const ExitWatch &) = delete;

private:
    static constexpr int kExitLookMs = 50;
    int fd_;
    std::optional<QSocketNotifier> exited_;
    QTimer lookAgain_;
};

} // namespace

DBusAutomation::DBusAutomation(QDBusConnection bus) : bus_(std::move(bus)) {}

DBusAutomation::~DBusAutomation() = default;

void DBusAutomation::watchHost(std::function<void()> gone)
{
    watcher_.reset();
    if (!gone || hostName_.isEmpty())
        return;
    watcher_ = std::make_unique<QDBusServiceWatcher>(hostName_, bus_,
                                                     QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, watcher_.get(),
                     [this, gone] {
                         watcher_->setWatchedServices({});   // once
                         gone();
                     });
    // A host that left before the watch began is reported all the same.
    const QDBusMessage owned = busCall(bus_, QStringLiteral("NameHasOwner"), {hostName_});
    if (owned.type() == QDBusMessage::ReplyMessage && !owned.arguments().value(0).toBool()) {
        watcher_->setWatchedServices({});
        QTimer::singleShot(0, watcher_.get(), gone);
    }
}

void DBusAutomation::probeHost(std::function<void(bool)> done)
{
    if (!done)
        return;
    QDBusMessage ping = QDBusMessage::createMethodCall(hostName_, QStringLiteral("/"),
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    auto *pending = new QDBusPendingCallWatcher(bus_.asyncCall(ping, callTimeoutMs_));
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, pending, [pending, done] {
        pending->deleteLater();
        done(!pending->isError());
    });
}

Outcome DBusAutomation::adopt(const QString &busName)
{
    const QDBusMessage owner = busCall(bus_, QStringLiteral("GetNameOwner"), {busName});
    if (owner.type() != QDBusMessage::ReplyMessage || owner.arguments().isEmpty())
        return failureOf(owner);
    const QString unique = owner.arguments().first().toString();
    hostName_ = unique;
    return Outcome::objectResult(std::make_shared<BusObject>(bus_, unique, contract::kApplicationPath,
                                                             contract::kApplicationInterface, callTimeoutMs_));
}

Outcome DBusAutomation::attach(const QString &busName)
{
    if (!bus_.isConnected())
        return Outcome::failure(QStringLiteral("no session bus: %1").arg(bus_.lastError().message()));
    return adopt(busName);
}

Outcome DBusAutomation::create(const QString &busName)
{
    if (!bus_.isConnected())
        return Outcome::failure(QStringLiteral("no session bus: %1").arg(bus_.lastError().message()));

    // The bus starts the host itself when a service file names it.
    const QDBusMessage started = busCall(bus_, QStringLiteral("StartServiceByName"),
                                         {busName, 0u}, int(startTimeout_.count()));
    if (started.type() == QDBusMessage::ReplyMessage) {
        Outcome app = adopt(busName);
        if (app.ok)
            return app;
    }
    return startExecutable(busName);
}

qint64 DBusAutomation::processIdOf(const AutomationRef &object)
{
    const auto *onBus = dynamic_cast<const BusObject *>(object.get());
    if (!onBus || !bus_.isConnected())
        return 0;
    const QDBusMessage pid = busCall(bus_, QStringLiteral("GetConnectionUnixProcessID"), {onBus->service()},
                                     callTimeoutMs_);
    if (pid.type() != QDBusMessage::ReplyMessage || pid.arguments().isEmpty())
        return 0;
    return pid.arguments().first().toLongLong();
}

QString DBusAutomation::standInProgram()
{
    const QString chosen = qEnvironmentVariable("ZEP_STANDIN");
    if (!chosen.isEmpty())
        return chosen;
    if (QCoreApplication::instance()) {
        const QFileInfo beside(QCoreApplication::applicationDirPath() + u'/' + kStandInName);
        if (beside.isFile() && beside.isExecutable())
            return beside.filePath();
    }
    return QStandardPaths::findExecutable(kStandInName);
}

Outcome DBusAutomation::startExecutable(const QString &busName)
{
    const QString program = standInProgram();
    if (program.isEmpty())
        return Outcome::failure(QStringLiteral("no %1 to start").arg(kStandInName));

    qint64 pid = 0;
    if (!QProcess::startDetached(program, {QStringLiteral("--automation")}, {}, &pid))
        return Outcome::failure(QStringLiteral("cannot start %1").arg(program));

    // Wait for the name, but give up early when the started host has already
    // exited (a second copy, say): one last look decides. The bus tells when
    // the name is taken and the kernel when the host exits; meanwhile the
    // event loop runs with user input held back, as for the rest of the
    // start-up. The watch begins before the first look, so nothing in between
    // is missed.
    const QDeadlineTimer deadline(startTimeout_);
    QEventLoop loop;
    QDBusServiceWatcher owner(busName, bus_, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&owner, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    const ExitWatch exited(pid, loop);
    QTimer late;
    late.setSingleShot(true);
    late.setTimerType(Qt::PreciseTimer);
    QObject::connect(&late, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (;;) {
        const bool alive = processAlive(pid);
        const QDBusMessage owned = busCall(bus_, QStringLiteral("NameHasOwner"), {busName});
        if (owned.type() == QDBusMessage::ReplyMessage && !owned.arguments().isEmpty()
            && owned.arguments().first().toBool())
            return adopt(busName);
        if (!alive)
            return Outcome::failure(QStringLiteral("%1 exited without providing %2").arg(program, busName));
        if (deadline.hasExpired())
            return Outcome::failure(QStringLiteral("%1 did not provide %2 in time").arg(program, busName));
        late.start(int(deadline.remainingTime()));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace velmora::host
