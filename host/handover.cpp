#include "host/handover.h"

#include "contract/zepcontract.h"

#include <QCoreApplication>
#include <QStringList>

namespace velmora::host {

namespace {

// Where the desktop offers no synthesised input, the host types the keys itself.
class HostKeySender : public KeySender {
public:
    explicit HostKeySender(HostLink &link) : link_(link) {}
    bool typeKeys(const QString &keys) override
    {
        if (link_.ended() || !link_.HostApp())
            return false;
        const Outcome typed = link_.HostApp()->call(contract::kSendKeys, {keys});
        return typed.ok || link_.noteFailure(typed);
    }

private:
    HostLink &link_;
};

// The desktop's keys when the host's window could be made the active one, so
// that they can reach neither the toolbar nor a third window; else the host's.
class IntoHostWindow : public KeySender {
public:
    IntoHostWindow(std::function<qint64()> hostPid, std::unique_ptr<KeySender> desktopKeys,
                   std::unique_ptr<HostWindows> windows, std::unique_ptr<KeySender> hostKeys)
        : hostPid_(std::move(hostPid)), desktopKeys_(std::move(desktopKeys)), windows_(std::move(windows)),
          hostKeys_(std::move(hostKeys))
    {
    }
    bool typeKeys(const QString &keys) override
    {
        if (desktopKeys_ && windows_ && hostPid_) {
            const qint64 pid = hostPid_();
            const bool other = pid > 0 && pid != QCoreApplication::applicationPid();
            if (other && windows_->activateWindowOf(pid, kHostActivationWait) && desktopKeys_->typeKeys(keys))
                return true;
        }
        return hostKeys_->typeKeys(keys);
    }

private:
    std::function<qint64()> hostPid_;
    std::unique_ptr<KeySender> desktopKeys_;
    std::unique_ptr<HostWindows> windows_;
    std::unique_ptr<KeySender> hostKeys_;
};

const QString kVersion7 = QStringLiteral("ZEP v7");

} // namespace

std::unique_ptr<KeySender> makeKeySender(HostLink &link, std::function<qint64()> hostPid,
                                         std::unique_ptr<KeySender> desktopKeys,
                                         std::unique_ptr<HostWindows> windows)
{
    return std::make_unique<IntoHostWindow>(std::move(hostPid), std::move(desktopKeys), std::move(windows),
                                            std::make_unique<HostKeySender>(link));
}

std::unique_ptr<KeySender> makeKeySender(HostLink &link)
{
    return makeKeySender(link, {}, nullptr, nullptr);
}

void handOverToHost(HostLink &link, KeySender &keys)
{
    if (link.ended())
        return;

    // The bars and annotations that start-up took away come back.
    const QStringList restore{
        QStringLiteral("Application / ToolBar Show \"*\""),
        QStringLiteral("Application / Statusbar Show"),
        QStringLiteral("Application / MenuBar Show"),
        QStringLiteral("VO Scenario/Velmora Annotation Time Show On"),
        QStringLiteral("VO Scenario/Velmora Annotation Time ShowTimeStep On"),
        QStringLiteral("VO Scenario/Velmora Annotation Frame Show On"),
    };
    if (!link.sendHostCommands(restore))
        return;

    // From here on any failure ends the hand-over quietly; the toolbar goes on.
    const auto fail = [&link](const Outcome &o) { link.noteFailure(o); };
    if (!link.HostPersonality() || !link.HostApp())
        return fail(Outcome::failure(QStringLiteral("the host has no command object")));

    // Asked directly: the reply list is needed whole, and a failure here must
    // not take the link's fatal path.
    const Outcome version = link.HostPersonality()->call(contract::kExecuteCommand,
                                                         {QStringLiteral("GetZEPVersion /")});
    if (!version.ok)
        return fail(version);

    const Outcome windows = link.HostApp()->get(contract::kWindows);
    if (!windows.ok)
        return fail(windows);
    if (!windows.object)
        return fail(Outcome::failure(QStringLiteral("Windows is not an object")));
    const Outcome arranged =
        windows.object->call(contract::kArrange, {int(contract::ArrangeStyle::TiledSideBySide)});
    if (!arranged.ok)
        return fail(arranged);

    const Outcome activated = link.HostApp()->call(contract::kActivate);
    if (!activated.ok)
        return fail(activated);

    const QStringList reply = version.value.toStringList();
    if (reply.isEmpty())
        return fail(Outcome::failure(QStringLiteral("the host gave no version")));
    // Case matters: only a version 7 host has its views under "4".
    const bool version7 = reply.first().left(kVersion7.size()) == kVersion7;
    // Not waited for; a sender that reaches the host notes its own failure.
    keys.typeKeys(version7 ? QStringLiteral("%v4") : QStringLiteral("%v1"));
}

} // namespace velmora::host
