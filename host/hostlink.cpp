#include "host/hostlink.h"

#include "contract/zepcontract.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QStringList>
#include <QTimer>

Q_LOGGING_CATEGORY(lcHostLink, "velmora.host", QtWarningMsg)

namespace velmora::host {

namespace {
// Pause between probes that failed at once (rather than after waiting).
constexpr int kProbePauseMs = 500;
} // namespace

HostLink::HostLink(AutomationSystem &system, UserNotice &notice, QObject *parent)
    : QObject(parent), system_(system), notice_(notice)
{
}

HostLink::~HostLink()
{
    if (hostApp_)
        system_.watchHost({});
}

bool HostLink::noteFailure(const Outcome &outcome)
{
    lastError_ = outcome.error;
    qCDebug(lcHostLink) << "host access failed:" << outcome.error;
    // A host that never answered is not waited for: the start-up failure
    // decides about it.
    if (outcome.unanswered && answered_ && answering_ && !ended_) {
        answering_ = false;
        probe();
        emit answeringChanged(false);
    }
    return false;
}

void HostLink::probe()
{
    // The answer comes from the event loop, perhaps after the link has gone.
    system_.probeHost([link = QPointer<HostLink>(this)](bool answers) {
        if (!link || link->ended_ || link->answering_)
            return;
        if (!answers) {
            QTimer::singleShot(kProbePauseMs, link, [link] {
                if (!link->ended_)
                    link->probe();
            });
            return;
        }
        link->answering_ = true;
        emit link->answeringChanged(true);
    });
}

void HostLink::hostGone()
{
    if (ended_)
        return;
    lastError_ = QStringLiteral("the host has left");
    endWith(kHostGoneTitle, kHostGoneText);
}

void HostLink::endWith(const QString &title, const QString &text)
{
    ended_ = true;
    notice_.showWarning(title, text);
    notice_.endProgram();
}

bool HostLink::ConnectToHost()
{
    if (ended_)
        return false;

    Outcome app = system_.attach(kHostBusName);
    const bool attached = app.ok && app.object;
    if (!attached) {
        noteFailure(app);
        app = system_.create(kHostBusName);
        if (!app.ok || !app.object) {
            noteFailure(app);
            endWith(kStartupFailureTitle, kStartupFailureText);
            return false;
        }
    }
    hostApp_ = app.object;
    system_.watchHost([link = QPointer<HostLink>(this)] {
        if (link)
            link->hostGone();
    });

    // A failing Personality read is not fatal here: the first command reports it.
    const Outcome personality = hostApp_->get(contract::kPersonality);
    if (personality.ok && personality.object)
        hostPersonality_ = personality.object;
    else
        noteFailure(personality);

    if (attached) {
        // Only an adopted host may already be busy with someone else's scenario.
        if (SendHostCommand(QStringLiteral("CheckScenario /")) == QLatin1String("1")) {
            endWith(kHostBusyTitle, kHostBusyText);
            return false;
        }
        if (ended_)
            return false;
    }

    for (const auto &[property, value] : {std::pair{contract::kUserControl, true}, {contract::kVisible, false}}) {
        const Outcome set = hostApp_->set(property, value);
        if (!set.ok)
            noteFailure(set);
    }
    return true;
}

QString HostLink::SendHostCommand(const QString &command)
{
    if (ended_ || !answering_)
        return {};

    Outcome outcome = hostPersonality_
        ? hostPersonality_->call(contract::kExecuteCommand, {command})
        : Outcome::failure(QStringLiteral("the host has no command object"));
    if (outcome.ok) {
        const QStringList reply = outcome.value.toStringList();
        commandSucceeded_ = true;
        answered_ = true;
        return reply.isEmpty() ? QStringLiteral("0") : reply.first();
    }

    noteFailure(outcome);
    if (!answering_)
        return {};
    if (!commandSucceeded_)
        endWith(kStartupFailureTitle, kStartupFailureText);
    return {};
}

bool HostLink::sendHostCommands(const QStringList &commands)
{
    for (const QString &command : commands) {
        if (ended_)
            return false;
        SendHostCommand(command);
    }
    return !ended_;
}

} // namespace velmora::host
