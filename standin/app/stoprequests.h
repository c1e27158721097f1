#pragma once
// What ends the host from outside its window: SIGTERM or SIGINT, and the loss
// of its bus connection. Either asks for a stop once, through the event loop,
// so that the normal shutdown (command thread joined, journal line) runs.

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zep {

class StopRequests : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; one per process.
    explicit StopRequests(QObject *parent = nullptr);
    ~StopRequests() override;

    // Leave when this connection ends (the bus daemon exits or drops us).
    void watch(QDBusConnection bus);

    // Why the stop was asked for; empty while none was.
    QString reason() const { return reason_; }

signals:
    void stopRequested(const QString &why);

private slots:
    void busDisconnected();

private:
    void readSignal();
    void request(const QString &why);

    QSocketNotifier *notifier_ = nullptr;
    QString reason_;
};

} // namespace zep
