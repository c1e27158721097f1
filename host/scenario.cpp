#include "host/scenario.h"

#include <QStringList>

namespace velmora::host {

namespace {

// One and the same instant for the scenario start, the animation start and the
// epoch; the stop lies three days later. Fixed, so every run looks the same.
constexpr auto kStart = "\"1 Jul 2005 12:00:00.00\"";
constexpr auto kStop = "\"4 Jul 2005 12:00:00.00\"";

QStringList scenarioCommands()
{
    const QString start = QString::fromLatin1(kStart);
    const QString stop = QString::fromLatin1(kStop);
    return {
        QStringLiteral("New / Scenario Velmora"),
        QStringLiteral("SetTimePeriod Scenario/Velmora ") + start + u' ' + stop,
        QStringLiteral("Animate Scenario/Velmora SetValues ") + start + QStringLiteral(" 60 1 ") + stop,
        QStringLiteral("Animate Scenario/Velmora SetRefreshMode HighSpeed"),
        QStringLiteral("SetEpoch Scenario/Velmora ") + start,
        QStringLiteral("VO Scenario/Velmora Grids Space ShowECI On ECIColor green ShowRadial On"),
        QStringLiteral("VO Scenario/Velmora Annotation Time Show Off"),
        QStringLiteral("VO Scenario/Velmora Annotation Time ShowTimeStep Off"),
        QStringLiteral("VO Scenario/Velmora Annotation Frame Show Off"),
        // "Statusbar" here, "StatusBar" in the window arrangement: both reach the host.
        QStringLiteral("Application / Statusbar Hide"),
        QStringLiteral("New / Scenario/Velmora/Satellite Satellite"),
        QStringLiteral("VO Scenario/Velmora/Satellite/Satellite Pass OrbitLead All"),
        QStringLiteral("VO Scenario/Velmora/Satellite/Satellite DynDataText DataDisplay "
                       "\"Classical Orbit Elements\" Show On"),
        QStringLiteral("ConControl / VerboseOff AckOff"),
    };
}

} // namespace

void PrepareScenario(HostLink &link)
{
    if (link.ended() || !link.HostApp())
        return;
    const Outcome hidden = link.HostApp()->set(QStringLiteral("Visible"), false);
    if (!hidden.ok)
        link.noteFailure(hidden);

    // Failed commands are the link's matter; the rest are still sent unless the
    // program has ended.
    link.sendHostCommands(scenarioCommands());
}

} // namespace velmora::host
