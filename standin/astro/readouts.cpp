#include "standin/astro/readouts.h"

#include <cmath>

namespace zep::astro {

std::optional<OrbitReadouts> orbitReadouts(const State &s)
{
    const std::optional<ElementsReport> report = fromState(s);
    if (!report)
        return std::nullopt;
    const Elements &el = report->elements;
    OrbitReadouts out;
    out.perigeeAltitudeKm = (el.a * (1.0 - el.e) - kEarthRadius) / 1000.0;
    out.apogeeAltitudeKm = (el.a * (1.0 + el.e) - kEarthRadius) / 1000.0;
    out.periodMin = period(el.a) / 60.0;
    out.altitudeKm = (std::hypot(s.r.x, s.r.y, s.r.z) - kEarthRadius) / 1000.0;
    out.speedKmS = std::hypot(s.v.x, s.v.y, s.v.z) / 1000.0;
    return out;
}

} // namespace zep::astro
