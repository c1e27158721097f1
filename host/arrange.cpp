#include "host/arrange.h"

#include "contract/zepcontract.h"

#include <QStringList>

#include <array>
#include <limits>

namespace velmora::host {

namespace {

// Auxiliary windows are known by the exact, case-sensitive start of their caption.
constexpr std::array<const char *, 4> kAuxiliaryPrefixes{"HTML", "Launch", "Obj", "Mess"};

// Runs one host access; a failure is noted and the caller skips that step.
bool attempt(HostLink &link, const Outcome &outcome)
{
    return outcome.ok || link.noteFailure(outcome);
}

Outcome windowAt(const AutomationRef &windows, int index)
{
    Outcome item = windows->call(contract::kItem, {index});
    if (item.ok && !item.object)
        return Outcome::failure(QStringLiteral("window %1 is not an object").arg(index));
    return item;
}

Outcome captionOf(const AutomationRef &windows, int index)
{
    const Outcome item = windowAt(windows, index);
    if (!item.ok)
        return item;
    return item.object->get(contract::kCaption);
}

// Whether window `index` is one to close. The caption is read anew for every
// prefix, since the window at an index may change under us; a caption that
// cannot be read counts as a match.
bool isAuxiliary(HostLink &link, const AutomationRef &windows, int index)
{
    bool matches = false;
    for (const char *prefix : kAuxiliaryPrefixes) {
        const Outcome caption = captionOf(windows, index);
        if (!attempt(link, caption))
            return true;
        const QString prefixText = QString::fromLatin1(prefix);
        // A caption shorter than the prefix is compared whole and cannot match.
        if (caption.value.toString().left(prefixText.size()) == prefixText)
            matches = true;
    }
    return matches;
}

void windowPass(HostLink &link)
{
    const Outcome collection = link.HostApp()->get(contract::kWindows);
    if (!attempt(link, collection))
        return;
    if (!collection.object) {
        link.noteFailure(Outcome::failure(QStringLiteral("Windows is not an object")));
        return;
    }
    const AutomationRef windows = collection.object;

    const Outcome count = windows->get(contract::kCount);
    if (!attempt(link, count))
        return;
    bool isNumber = false;
    const qlonglong n = count.value.toLongLong(&isNumber);
    // The index is a 16-bit number: a count beyond it cannot be walked.
    if (!isNumber || n > std::numeric_limits<qint16>::max()
        || n < std::numeric_limits<qint16>::min()) {
        link.noteFailure(Outcome::failure(QStringLiteral("window count %1 out of range")
                                              .arg(count.value.toString())));
        return;
    }

    // One index past the last window: the host refuses it and the pass goes on.
    for (int i = 0; i <= int(n); ++i) {
        if (isAuxiliary(link, windows, i)) {
            const Outcome item = windowAt(windows, i);
            if (attempt(link, item))
                attempt(link, item.object->call(contract::kClose));
        } else {
            const Outcome item = windowAt(windows, i);
            if (attempt(link, item))
                attempt(link, item.object->set(contract::kWindowState,
                                               int(contract::WindowState::Normal)));
        }
    }
}

} // namespace

void ArrangeHostWindows(HostLink &link)
{
    if (link.ended() || !link.HostApp())
        return;
    const AutomationRef &app = link.HostApp();

    // Hidden while its windows close, so the user does not watch it happen.
    attempt(link, app->set(contract::kVisible, false));

    // Closing moves later windows up past the index; the second pass catches them.
    windowPass(link);
    windowPass(link);

    const QStringList bars{
        QStringLiteral("Application / ToolBar Hide \"*\""),
        QStringLiteral("Application / ToolBar Show \"Animation\""),
        QStringLiteral("Application / MenuBar Hide"),
        QStringLiteral("Application / StatusBar Hide"),
    };
    if (!link.sendHostCommands(bars))
        return;

    attempt(link, app->set(contract::kVisible, true));
    attempt(link, app->set(contract::kWindowState, int(contract::WindowState::Normal)));
    const Outcome collection = app->get(contract::kWindows);
    if (attempt(link, collection)) {
        if (collection.object)
            attempt(link, collection.object->call(contract::kArrange,
                                                  {int(contract::ArrangeStyle::TiledSideBySide)}));
        else
            link.noteFailure(Outcome::failure(QStringLiteral("Windows is not an object")));
    }
}

} // namespace velmora::host
