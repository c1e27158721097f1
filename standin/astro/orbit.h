#pragma once
// Two-body orbit mechanics for the stand-in host: elements, states and
// Kepler's equation as pure functions on plain values, double precision
// throughout, no Qt. Nothing here knows the calendar or the Earth's turning.

#include "standin/astro/vec3.h"

#include <optional>
#include <string>

namespace zep::astro {

inline constexpr double kMu = 3.986004418e14;         // Earth, m^3/s^2
inline constexpr double kEarthRadius = 6378137.0;     // equatorial, m

// Angles in radians, a in metres. meanAnomaly is at the elements' epoch.
struct Elements {
    double a = 0;
    double e = 0;
    double i = 0;
    double raan = 0;
    double argp = 0;
    double meanAnomaly = 0;
};

struct State {
    Vec3 r;  // m, Earth-inertial (J2000-aligned)
    Vec3 v;  // m/s
};

// Elements recovered from a state, with the true anomaly for display.
struct ElementsReport {
    Elements elements;
    double trueAnomaly = 0;
    bool circular = false;    // e below the tolerance: argp is not defined, taken as 0
    bool equatorial = false;  // i below the tolerance: raan is not defined, taken as 0
};

// Accepts 0 <= e < 1, a > 0, all finite; otherwise says why in plain words.
// Also refuses an a so extreme (below ~1e-100 m, above ~1e100 m) that its
// period overflows or vanishes.
std::optional<std::string> checkElements(const Elements &el);

// Solves M = E - e sin E for E; any finite M, 0 <= e < 1. E keeps the whole
// turns of M; NaN outside that domain.
double solveKepler(double meanAnomaly, double e);
double trueFromEccentric(double eccentricAnomaly, double e);
double period(double a);  // s
// Elements advanced by dt seconds (mean anomaly only, two-body), M in [0, 2 pi).
Elements propagate(const Elements &el, double dt);
State toState(const Elements &el);
// Position at eccentric anomaly E in plain double precision: no Kepler solve,
// for sampling paths to draw (evenly in E is densest where perigee bends hardest).
Vec3 positionAtEccentric(const Elements &el, double eccentricAnomaly);
// Angles in [0, 2 pi), i in [0, pi]. Nothing when the state has no closed
// orbit: at the centre, at rest or moving radially, escaping, not finite.
std::optional<ElementsReport> fromState(const State &s);

} // namespace zep::astro
