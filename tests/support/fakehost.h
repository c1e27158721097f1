#pragma once
// An in-process host for the window logic's tests: it answers like the real one
// and records, in order, every command line and every direct member access.
// The bus client's tests put this same host on the bus (tests/host/stubhost.h).

#include "host/automation.h"
#include "host/handover.h"
#include "host/hostlink.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>

namespace velmora::testing {

class FakeHost : public host::AutomationSystem {
public:
    struct Window {
        QString caption;
        bool captionFails = false;
        bool closeFails = false;
        bool stateFails = false;
        int state = 0;
    };

    FakeHost();

    // How the host is reached.
    bool running = false;       // attach succeeds
    bool creatable = true;      // create succeeds
    bool personalityFails = false;

    // Command replies: exact line -> reply lines; lines in `failing` fail.
    QHash<QString, QStringList> replies;
    QSet<QString> failing;
    // Called after each command; may change the host (fail from now on, ...).
    std::function<void(const QString &)> afterCommand;

    // Host windows in their current order; Close removes one, so the rest move up.
    QList<Window> windows;
    // Called after a window was closed, e.g. to move another one.
    std::function<void(FakeHost &)> afterClose;
    // Members of the application object and the window collection that fail
    // (still logged): "Activate", "Arrange", "Count", "SendKeys", "Visible" ...
    QSet<QString> failingMembers;

    // What reached the host.
    QStringList commands;   // ExecuteCommand lines, in order
    QStringList log;        // "cmd <line>", "set Visible false", "call Arrange 2", "close <caption>" ...
    bool visible = true;
    bool userControl = false;
    int windowState = 0;

    // A host that stops: commands go unanswered (and are not carried out)
    // until resume(); probes wait for it meanwhile.
    bool hung = false;
    int probes = 0;             // probes asked for
    void resume();              // answers again, and says so to a waiting probe
    void failProbe();           // a waiting probe gets no answer
    void goAway();              // the host leaves: the watch reports it
    bool watched() const { return bool(gone_); }

    host::Outcome attach(const QString &busName) override;
    host::Outcome create(const QString &busName) override;
    void watchHost(std::function<void()> gone) override { gone_ = std::move(gone); }
    void probeHost(std::function<void(bool)> done) override;

    // Internal: used by the fake's objects.
    host::Outcome execute(const QString &line);
    host::AutomationRef app();

private:
    host::AutomationRef app_;
    std::function<void()> gone_;
    std::function<void(bool)> probe_;
};

// Records what the hand-over would type instead of typing it: into `typed`,
// or into a list kept by the test when the sender is handed to a window.
class RecordingKeys : public host::KeySender {
public:
    RecordingKeys() : into_(typed) {}
    explicit RecordingKeys(QStringList &into) : into_(into) {}
    RecordingKeys(const RecordingKeys &) = delete;
    RecordingKeys &operator=(const RecordingKeys &) = delete;

    QStringList typed;
    bool typeKeys(const QString &keys) override
    {
        into_ << keys;
        return true;
    }

private:
    QStringList &into_;
};

// Records the fatal path instead of showing a box and exiting.
class RecordingNotice : public host::UserNotice {
public:
    struct Message {
        QString title;
        QString text;
    };
    QList<Message> messages;
    int endings = 0;

    void showWarning(const QString &title, const QString &text) override
    {
        messages.append({title, text});
    }
    void endProgram() override { ++endings; }
};

} // namespace velmora::testing
