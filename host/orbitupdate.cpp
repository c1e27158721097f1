#include "host/orbitupdate.h"

#include "orbit/stateupdate.h"

#include <optional>

namespace velmora::host {

void ApplyOrbit(HostLink &link, const orbit::OrbitElements &el, QString &SatelliteColor,
                OrbitDisplay &display)
{
    if (link.ended())
        return;
    // A failed query gives a null reply, which leaves its place empty.
    const QString period = link.SendHostCommand(QStringLiteral("GetTimePeriod ") + orbit::kScenarioPath);
    if (link.ended())
        return;
    const QString epoch = link.SendHostCommand(QStringLiteral("GetEpoch ") + orbit::kScenarioPath);
    if (link.ended())
        return;

    const QString state = orbit::stateCommand(period, epoch, el);
    if (state.isEmpty())
        return;
    link.SendHostCommand(state);
    if (link.ended())
        return;

    const std::optional<QString> caption = orbit::orbitPeriodCaption(display.semimajorAxisText());
    if (!caption)
        return;
    display.setOrbitPeriodCaption(*caption);

    const std::optional<QString> color = orbit::satelliteColorChange(el, SatelliteColor);
    if (!color)
        return;
    link.SendHostCommand(QStringLiteral("Graphics ") + orbit::kSatellitePath
                         + QStringLiteral(" SetAttrType Basic"));
    if (link.ended())
        return;
    const QString reply = link.SendHostCommand(QStringLiteral("Graphics ") + orbit::kSatellitePath
                                               + QStringLiteral(" Basic Color ") + *color);
    // Only a colour the host took is remembered, so a refused one is sent again.
    if (reply.isNull())
        return;
    SatelliteColor = *color;
}

} // namespace velmora::host
