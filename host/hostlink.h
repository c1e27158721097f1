#pragma once
// The toolbar's one link to the host: connecting at start-up, sending command
// lines, and the only fatal path of the program.

#include "host/automation.h"

#include <QString>

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

inline const QString kHostClassName = QStringLiteral("ZEP.Application");
inline const QString kStartupFailureTitle = QStringLiteral("Error loading ZEP");
inline const QString kStartupFailureText = QStringLiteral(
    "Error occurred during startup.  Please check that you have ZEP installed with the "
    "appropriate licenses:\r\nZEP, ZEP/Tavik, ZEP/Merrow");
inline const QString kHostBusyTitle = QStringLiteral("ZEP currently open");
inline const QString kHostBusyText = QStringLiteral("Please close current instance of ZEP.");

class HostLink {
public:
    HostLink(AutomationSystem &system, UserNotice &notice);

    // Attach or create, adopt the host; on failure the program has ended and
    // this returns false.
    bool ConnectToHost();

    // Sends one command line. Gives the first reply line, "0" for an empty
    // reply, or a null QString for a failure that is tolerated (a command has
    // gone through since the flag was last cleared). Any other failure ends the
    // program; after that every call returns null without reaching the host.
    QString SendHostCommand(const QString &command);

    bool CommandSucceeded() const { return commandSucceeded_; }
    void ClearCommandSucceeded() { commandSucceeded_ = false; }

    // True once the fatal path has run: callers stop what they were doing.
    bool ended() const { return ended_; }

    // Held for the whole run once connected; may be null (see ConnectToHost).
    const AutomationRef &HostApp() const { return hostApp_; }
    const AutomationRef &HostPersonality() const { return hostPersonality_; }

    // The reason of the last failed host access, kept for diagnostics.
    const QString &lastError() const { return lastError_; }

    // Records a failed direct access (window passes, hand-over) in the one place
    // where failures are noted; returns false so callers can `return fail(o)`.
    bool noteFailure(const Outcome &outcome);

private:
    void endWith(const QString &title, const QString &text);

    AutomationSystem &system_;
    UserNotice &notice_;
    AutomationRef hostApp_;
    AutomationRef hostPersonality_;
    bool commandSucceeded_ = false;
    bool ended_ = false;
    QString lastError_;
};

} // namespace velmora::host
