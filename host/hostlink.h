#pragma once
// The toolbar's one link to the host: connecting at start-up, sending command
// lines, and the only fatal path of the program.

#include "contract/zepcontract.h"
#include "host/automation.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace velmora::host {

// How the link tells the user that the program cannot go on, and ends it.
// The desktop shows a warning box and exits; tests record the calls.
class UserNotice {
public:
    virtual ~UserNotice() = default;
    virtual void showWarning(const QString &title, const QString &text) = 0;
    // Nothing of the program may run after this; a fake must make the link
    // inert instead (HostLink does that itself once it has called this).
    virtual void endProgram() = 0;
};

inline const QString kHostBusName = contract::kBusName;
inline const QString kStartupFailureTitle = QStringLiteral("Error loading ZEP");
inline const QString kStartupFailureText = QStringLiteral(
    "Error occurred during startup.  Please check that you have ZEP installed with the "
    "appropriate licenses:\r\nZEP, ZEP/Tavik, ZEP/Merrow");
inline const QString kHostBusyTitle = QStringLiteral("ZEP currently open");
inline const QString kHostBusyText = QStringLiteral("Please close current instance of ZEP.");
inline const QString kHostGoneTitle = QStringLiteral("Velmora Toolbar");
inline const QString kHostGoneText = QStringLiteral("ZEP has closed. Velmora Toolbar closes too.");

// The design's names for its procedures and flags (ConnectToHost,
// SendHostCommand, CommandSucceeded, HostApp, HostPersonality); Qt's for the rest.
class HostLink : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool answering READ isAnswering NOTIFY answeringChanged)
public:
    HostLink(AutomationSystem &system, UserNotice &notice, QObject *parent = nullptr);
    ~HostLink() override;

    // Attach or create, adopt the host and watch it: once it has left, the
    // program tells the user and ends. On failure the program has ended and
    // this returns false.
    bool ConnectToHost();

    // Sends one command line. Gives the first reply line, "0" for an empty
    // reply, or a null QString for a failure that is tolerated (a command has
    // gone through since the flag was last cleared). Any other failure ends the
    // program; after that every call returns null without reaching the host.
    // A host that has answered before and now lets a call go unanswered is
    // not answering: calls return null at once, without reaching it, until a
    // probe in the background hears from it again.
    QString SendHostCommand(const QString &command);
    // Sends the lines in order, each as SendHostCommand does (so a host that
    // is not answering hears none of them), and stops once the link has ended.
    // False when it has: the caller stops too.
    bool sendHostCommands(const QStringList &commands);

    bool isAnswering() const { return answering_; }

    // Some command has gone through since the flag was last cleared: until
    // then a failed command is fatal. The start-up clears it when it is done.
    bool CommandSucceeded() const { return commandSucceeded_; }
    void SetCommandSucceeded(bool succeeded) { commandSucceeded_ = succeeded; }

    // True once the fatal path has run: callers stop what they were doing.
    bool ended() const { return ended_; }

    // Held for the whole run once connected; may be null (see ConnectToHost).
    const AutomationRef &HostApp() const { return hostApp_; }
    const AutomationRef &HostPersonality() const { return hostPersonality_; }

    // The reason of the last failed host access, kept for diagnostics.
    const QString &lastError() const { return lastError_; }

    // Records a failed direct access (window passes, hand-over) in the one place
    // where failures are noted, and notices an unanswered one; returns false
    // so callers can `return fail(o)`.
    bool noteFailure(const Outcome &outcome);

signals:
    // The host stopped answering (false, inside the call that went unanswered)
    // or answers again (true, from the event loop), so that a receiver can
    // send what the host missed.
    void answeringChanged(bool answering);

private:
    void endWith(const QString &title, const QString &text);
    void hostGone();
    void probe();

    AutomationSystem &system_;
    UserNotice &notice_;
    AutomationRef hostApp_;
    AutomationRef hostPersonality_;
    bool commandSucceeded_ = false;
    bool ended_ = false;
    bool answered_ = false;    // some call went through this run
    bool answering_ = true;
    QString lastError_;
};

} // namespace velmora::host
