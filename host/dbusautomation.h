#pragma once
// The host's automation objects as seen on the D-Bus session bus. Members are
// reached by name with plain messages, so nothing blocks on introspection, and
// calls go to the unique name of the host found at connection time: a host
// that has gone away then fails every call at once instead of being restarted
// behind our back by bus activation.

#include "host/automation.h"

#include <QDBusConnection>
#include <QString>

#include <chrono>
#include <memory>

class QDBusServiceWatcher;

namespace velmora::host {

class DBusAutomation : public AutomationSystem {   // the platform's object system = the session bus
public:
    explicit DBusAutomation(QDBusConnection bus = QDBusConnection::sessionBus());
    ~DBusAutomation() override;
    Outcome attach(const QString &busName) override;  // the name has an owner
    Outcome create(const QString &busName) override;  // bus activation, else start the stand-in host
    void watchHost(std::function<void()> gone) override;  // the host's unique name loses its owner
    void probeHost(std::function<void(bool)> done) override;  // the bus's Peer.Ping, asynchronous
    qint64 processIdOf(const AutomationRef &object) override;  // as the bus knows the object's owner

    // The stand-in host that create() would start when the bus cannot:
    // $ZEP_STANDIN, else velmora-zep beside this program, else on PATH.
    static QString standInProgram();

    // How long create() waits for a started host to own its name.
    void setStartTimeout(std::chrono::milliseconds timeout) { startTimeout_ = timeout; }
    // How long a call to the host's objects waits for an answer before the
    // host counts as not answering. Applies to objects found afterwards.
    void setCallTimeout(std::chrono::milliseconds timeout) { callTimeoutMs_ = int(timeout.count()); }
    static constexpr std::chrono::milliseconds kCallTimeout{3000};

private:
    Outcome adopt(const QString &busName);
    Outcome startExecutable(const QString &busName);

    QDBusConnection bus_;
    std::chrono::milliseconds startTimeout_{10000};
    int callTimeoutMs_ = int(kCallTimeout.count());
    QString hostName_;   // unique name of the host last given out
    std::unique_ptr<QDBusServiceWatcher> watcher_;
};

} // namespace velmora::host
