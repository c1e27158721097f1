#pragma once
// Pushing the element set to the host: the queries it needs, the state
// command, the period caption and the satellite colour.

#include "host/hostlink.h"
#include "orbit/elements.h"

#include <QString>

namespace velmora::host {

// What ApplyOrbit needs of the toolbar.
class OrbitDisplay {
public:
    virtual ~OrbitDisplay() = default;
    virtual QString semimajorAxisText() const = 0;           // text of ElementValue(0)
    virtual void setOrbitPeriodCaption(const QString &) = 0; // caption of OrbitPeriod
};

// Sends the queries, the state command and, when the colour changes, the two
// colour commands; sets the period caption and SatelliteColor. Stops at a
// failing step (commands sent stay sent) and sends nothing once the link ended.
// SatelliteColor takes the new colour only when the host accepted the colour
// command, so a refused colour is sent again by the next call.
void ApplyOrbit(HostLink &link, const orbit::OrbitElements &el, QString &SatelliteColor,
                OrbitDisplay &display);

} // namespace velmora::host
