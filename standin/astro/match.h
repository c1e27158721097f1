#pragma once
// How far one orbit is from another, element by element, for the "match the
// orbit" exercises: the student tunes the toolbar's six boxes until every
// difference lies within the tolerance. Angles the orbits leave undefined are
// replaced by the combined angle that is defined, so that a circle or an
// equatorial orbit can be matched at all.

#include "standin/astro/orbit.h"

#include <array>

namespace zep::astro {

struct MatchTolerance {
    double aKm = 50;
    double e = 0.01;
    double deg = 1;  // every angle
};

enum class MatchQuantity {
    SemiMajorAxis,       // km
    Eccentricity,
    Inclination,         // the angles in degrees
    Raan,
    ArgumentOfPerigee,
    LongitudeOfPerigee,  // RAAN + argument of perigee, when the node is undefined
    TrueAnomaly,
    ArgumentOfLatitude,  // argument of perigee + true anomaly, when the perigee is undefined
    TrueLongitude,       // all three, when both are
};

struct ElementDifference {
    MatchQuantity quantity = MatchQuantity::SemiMajorAxis;
    double value = 0;  // mine minus the target's; angles wrapped into (-180, 180]
    bool within = true;
    // False where neither orbit defines the angle: RAAN near the equator,
    // argument of perigee near a circle. It then counts as within.
    bool defined = true;
};

struct OrbitMatch {
    // a, e, i, RAAN, argument of perigee, true anomaly: the toolbar's rows.
    std::array<ElementDifference, 6> elements;
    double perigeeAltitudeKm = 0;  // mine minus the target's
    double apogeeAltitudeKm = 0;
    bool matched = false;          // all six within
};

// Both sets of elements at the same instant.
OrbitMatch compareOrbits(const Elements &mine, const Elements &target, const MatchTolerance &tolerance);

// The angle from b to a, in (-pi, pi]: 359 and 1 degrees lie 2 apart.
double angleDifference(double a, double b);

} // namespace zep::astro
