#pragma once
// The numbers the element overlay shows beside the orbit, read back from a
// propagated state so that they show what the host actually flies.

#include "standin/astro/orbit.h"

#include <optional>

namespace zep::astro {

// Altitudes above the equatorial radius of the spherical Earth.
struct OrbitReadouts {
    double perigeeAltitudeKm = 0;
    double apogeeAltitudeKm = 0;
    double periodMin = 0;
    double altitudeKm = 0;  // at the state's instant
    double speedKmS = 0;    // inertial, at the state's instant
};

// Nothing when the state has no closed orbit (see fromState).
std::optional<OrbitReadouts> orbitReadouts(const State &s);

} // namespace zep::astro
