#pragma once
// The whole stand-in host short of main(): the scenario store, the GUI, the
// command thread and the bus objects. Tests build one in-process.

#include "standin/app/automationobjects.h"
#include "standin/app/hostwindow.h"
#include "standin/app/keytyper.h"
#include "standin/model/clock.h"
#include "standin/model/journal.h"
#include "standin/model/store.h"

#include <QDBusConnection>
#include <QObject>
#include <QThread>

#include <memory>

namespace zep {

class HostServer : public QObject {
    Q_OBJECT
public:
    explicit HostServer(const QString &journalPath = {}, QObject *parent = nullptr);
    ~HostServer() override;

    // Registers the objects on the bus, then asks for the name ZEP.Application.
    // False, with why in plain words, when the name has another owner or the
    // bus refuses.
    bool publish(QDBusConnection bus, QString *why);

    // Ends any typing (those calls fail), then stops the command thread
    // without waiting on it from a blocked GUI thread. Safe to call twice.
    void shutdown();

    HostWindow &window() { return *window_; }
    ScenarioStore &store() { return store_; }
    AnimationClock &clock() { return clock_; }
    Journal &journal() { return journal_; }
    Personality &personality() { return *personality_; }
    QThread &commandThread() { return commandThread_; }

private:
    ScenarioStore store_;
    AnimationClock clock_;
    Journal journal_;
    std::unique_ptr<HostWindow> window_;
    std::unique_ptr<KeyTyper> keys_;  // types into window_
    QThread commandThread_;
    Personality *personality_ = nullptr;  // lives on commandThread_
    ApplicationObject *application_ = nullptr;
    WindowsObject *windows_ = nullptr;
    QDBusConnection bus_{QString()};
    bool published_ = false;
};

} // namespace zep
