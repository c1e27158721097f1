#include "standin/astro/match.h"

#include <algorithm>
#include <cmath>

namespace zep::astro {

namespace {

constexpr double kDeg = kPi / 180;

double trueAnomaly(const Elements &el)
{
    return trueFromEccentric(solveKepler(el.meanAnomaly, el.e), el.e);
}

// Numbers typed into the toolbar come back through decimal text and radians:
// a difference that is the tolerance still counts as within it.
bool withinTolerance(double value, double tolerance)
{
    return std::abs(value) <= tolerance * (1 + 1e-9) + 1e-12;
}

// The node is lost on an orbit in the equator either way round; the sense
// (+1 prograde, -1 retrograde) turns angles in the orbit's plane into angles
// in the equator's.
bool nearEquatorial(const Elements &el, double toleranceRad)
{
    return std::abs(std::sin(el.i)) < std::sin(std::min(toleranceRad, kPi / 2));
}
double sense(const Elements &el) { return std::cos(el.i) >= 0 ? 1.0 : -1.0; }

} // namespace

double angleDifference(double a, double b)
{
    const double d = std::remainder(a - b, 2 * kPi);
    return d <= -kPi ? d + 2 * kPi : d;
}

OrbitMatch compareOrbits(const Elements &mine, const Elements &target, const MatchTolerance &tolerance)
{
    const double tolRad = tolerance.deg * kDeg;
    // An angle is undefined only when it is for both orbits: otherwise the
    // target's value is what the student is asked to reach.
    const bool noNode = nearEquatorial(mine, tolRad) && nearEquatorial(target, tolRad) && sense(mine) == sense(target);
    const bool noPerigee = mine.e < tolerance.e && target.e < tolerance.e;
    const double nuMine = trueAnomaly(mine), nuTarget = trueAnomaly(target);

    // The angles of the third and later slots, as compared: in the orbit's
    // plane from the node, or in the equator from the vernal equinox.
    const auto angles = [&](const Elements &el, double nu) {
        const double s = sense(el);
        const double perigee = noNode ? el.raan + s * el.argp : el.argp;
        const double position = noPerigee ? (noNode ? el.raan + s * (el.argp + nu) : el.argp + nu) : nu;
        return std::array<double, 2>{perigee, position};
    };
    const auto [perigeeMine, positionMine] = angles(mine, nuMine);
    const auto [perigeeTarget, positionTarget] = angles(target, nuTarget);

    OrbitMatch m;
    const auto set = [&](size_t slot, MatchQuantity q, double value, double tol, bool defined = true) {
        m.elements[slot] = {q, defined ? value : 0.0, !defined || withinTolerance(value, tol), defined};
    };
    set(0, MatchQuantity::SemiMajorAxis, (mine.a - target.a) / 1000, tolerance.aKm);
    set(1, MatchQuantity::Eccentricity, mine.e - target.e, tolerance.e);
    set(2, MatchQuantity::Inclination, (mine.i - target.i) / kDeg, tolerance.deg);
    set(3, MatchQuantity::Raan, angleDifference(mine.raan, target.raan) / kDeg, tolerance.deg, !noNode);
    if (noPerigee)
        set(4, MatchQuantity::ArgumentOfPerigee, 0, tolerance.deg, false);
    else
        set(4, noNode ? MatchQuantity::LongitudeOfPerigee : MatchQuantity::ArgumentOfPerigee,
            angleDifference(perigeeMine, perigeeTarget) / kDeg, tolerance.deg);
    const MatchQuantity position = !noPerigee ? MatchQuantity::TrueAnomaly
        : noNode                              ? MatchQuantity::TrueLongitude
                                              : MatchQuantity::ArgumentOfLatitude;
    set(5, position, angleDifference(positionMine, positionTarget) / kDeg, tolerance.deg);

    m.perigeeAltitudeKm = (mine.a * (1 - mine.e) - target.a * (1 - target.e)) / 1000;
    m.apogeeAltitudeKm = (mine.a * (1 + mine.e) - target.a * (1 + target.e)) / 1000;
    m.matched = std::all_of(m.elements.begin(), m.elements.end(), [](const ElementDifference &d) { return d.within; });
    return m;
}

} // namespace zep::astro
