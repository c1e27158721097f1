#include "standin/app/hostserver.h"

#include "standin/app/lessonbar.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

namespace zep {

HostServer::HostServer(const QString &journalPath, QObject *parent)
    : QObject(parent), journal_(journalPath), window_(std::make_unique<HostWindow>(store_, clock_, journal_)),
      keys_(std::make_unique<KeyTyper>(*window_))
{
    commandThread_.setObjectName(QStringLiteral("zep-commands"));
    personality_ = new Personality(store_, journal_, *window_);
    connect(personality_, &Personality::scenarioChanged, window_.get(), &HostWindow::refreshScenario,
            Qt::QueuedConnection);
    connect(personality_, &Personality::refused, window_.get(), &HostWindow::noteRefusal, Qt::QueuedConnection);
    window_->lessons().attach(personality_);
    // The adaptor is the personality's child, so it moves along: bus calls to
    // it are then delivered on the command thread.
    personality_->moveToThread(&commandThread_);
    connect(&commandThread_, &QThread::finished, personality_, &QObject::deleteLater);
    commandThread_.start();
}

HostServer::~HostServer()
{
    shutdown();
}

bool HostServer::publish(QDBusConnection bus, QString *why)
{
    bus_ = bus;
    if (!bus.isConnected()) {
        *why = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    application_ = new ApplicationObject(*window_, *keys_, journal_, bus, this);
    windows_ = new WindowsObject(*window_, journal_, bus, this);
    const bool registered = bus.registerObject(velmora::contract::kApplicationPath, application_)
                            && bus.registerObject(WindowsObject::path(), windows_)
                            && bus.registerObject(velmora::contract::kPersonalityPath, personality_);
    if (!registered) {
        *why = QStringLiteral("could not register the host's objects on the bus");
        return false;
    }
    const auto reply = bus.interface()->registerService(QLatin1StringView(kBusName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        *why = QStringLiteral("the bus refused the name %1: %2").arg(QLatin1StringView(kBusName), reply.error().message());
        return false;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        *why = QStringLiteral("another host owns the name %1 on this session bus").arg(QLatin1StringView(kBusName));
        return false;
    }
    published_ = true;
    return true;
}

void HostServer::shutdown()
{
    // While the bus is still there to carry the answers; the waiting below
    // serves events, and no more keys may be typed then.
    keys_->stop(QStringLiteral("the host stopped before the keys were typed"));
    if (!personality_)
        return;
    if (bus_.isConnected()) {
        bus_.unregisterObject(velmora::contract::kPersonalityPath);
        if (published_)
            bus_.interface()->unregisterService(QLatin1StringView(kBusName));
        bus_.unregisterObject(velmora::contract::kApplicationPath, QDBusConnection::UnregisterTree);
    }
    // Before the windows go, so that closing them retires nothing on the bus.
    delete windows_;
    windows_ = nullptr;
    delete application_;
    application_ = nullptr;
    // The command thread may be waiting for nothing from us, but a call in
    // flight can post to the GUI: keep serving events until it has stopped.
    commandThread_.quit();
    while (!commandThread_.wait(QDeadlineTimer(10)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    personality_ = nullptr;  // deleted on its own thread as that finished
}

} // namespace zep
